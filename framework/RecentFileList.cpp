#include "velmar/framework/RecentFileList.h"

#include "velmar/framework/CmdUI.h"
#include "velmar/framework/MenuResource.h"
#include "velmar/framework/ProfileStore.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>

#include <algorithm>

CRecentFileList::CRecentFileList(UINT nStart, LPCWSTR lpszSection, LPCWSTR lpszEntryFormat,
                                 int nSize, int nMaxDispLen)
    : m_strSectionName(lpszSection), m_strEntryFormat(lpszEntryFormat), m_nStart(nStart),
      m_nMaxDisplayLength(nMaxDispLen)
{
    m_arrNames.resize((size_t)std::clamp(nSize, 1, 16));
}

CString CRecentFileList::GetEntryName(int nIndex) const
{
    CString entry;
    entry.Format(m_strEntryFormat, nIndex + 1);
    return entry;
}

void CRecentFileList::Add(LPCWSTR lpszPathName)
{
    if (!lpszPathName || !*lpszPathName)
        return;
    CString path = AfxFromQString(QFileInfo(AfxToQString(lpszPathName)).absoluteFilePath());
    // Where it already is (or at the end), everything above moves down one.
    size_t i = 0;
    while (i + 1 < m_arrNames.size() && m_arrNames[i] != path)
        ++i;
    for (; i > 0; --i)
        m_arrNames[i] = m_arrNames[i - 1];
    m_arrNames[0] = path;
}

void CRecentFileList::Remove(int nIndex)
{
    if (nIndex < 0 || nIndex >= GetSize())
        return;
    m_arrNames.erase(m_arrNames.begin() + nIndex);
    m_arrNames.emplace_back();
}

BOOL CRecentFileList::GetDisplayName(CString& strName, int nIndex, BOOL) const
{
    strName.Empty();
    if (nIndex < 0 || nIndex >= GetSize() || m_arrNames[(size_t)nIndex].IsEmpty())
        return FALSE;
    QString path = AfxToQString(m_arrNames[(size_t)nIndex]);
    QFileInfo info(path);
    // A file in the current directory shows by name; a long path keeps its root and the name.
    QString shown = info.absolutePath() == QDir::currentPath() ? info.fileName()
                                                               : QDir::toNativeSeparators(path);
    if (m_nMaxDisplayLength > 0 && shown.size() > m_nMaxDisplayLength && shown != info.fileName())
    {
        QString root =
            QDir::toNativeSeparators(info.absoluteFilePath()).section(QDir::separator(), 0, 1);
        shown =
            root + QDir::separator() + QStringLiteral("...") + QDir::separator() + info.fileName();
        if (shown.size() > m_nMaxDisplayLength)
            shown = info.fileName();
    }
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    strName.Format(L"&%d %ls", nIndex + 1, AfxFromQString(shown).GetString());
    return TRUE;
}

void CRecentFileList::UpdateMenu(CCmdUI* pCmdUI)
{
    QMenu* pMenu = pCmdUI->m_pMenu;
    QAction* pPlaceholder = pCmdUI->m_pAction;
    if (!pMenu || !pPlaceholder)
    {
        pCmdUI->Enable(!m_arrNames[0].IsEmpty());
        return;
    }
    if (m_strOriginal.IsEmpty())
        m_strOriginal = AfxFromQString(pPlaceholder->text());
    // Entries shown last time go; the placeholder item itself stays and is hidden while there are
    // entries.
    for (QAction* a : pMenu->actions())
        if (a->property("afxRecentFile").toBool())
            delete a;
    if (m_arrNames[0].IsEmpty())
    {
        pPlaceholder->setText(AfxToQString(m_strOriginal));
        pPlaceholder->setVisible(true);
        pCmdUI->Enable(FALSE);
        return;
    }
    pPlaceholder->setVisible(false);
    for (int i = 0; i < GetSize(); ++i)
    {
        CString name;
        if (!GetDisplayName(name, i))
            break;
        QAction* pAction = AfxInsertMenuItem(pMenu, pPlaceholder, m_nStart + (UINT)i, name);
        pAction->setProperty("afxRecentFile", true);
        pAction->setProperty("afxDynamic", true);
    }
    pCmdUI->m_bEnableChanged =
        TRUE; // the entries are enabled; the hidden placeholder needs nothing
}

void CRecentFileList::ReadList(CProfileStore& store)
{
    // Entries are compacted: a gap in the stored numbering leaves no hole in the menu.
    std::vector<CString> names;
    for (int i = 0; i < GetSize(); ++i)
    {
        CString value;
        if (store.GetString(m_strSectionName, GetEntryName(i), value) && !value.IsEmpty())
            names.push_back(value);
    }
    for (size_t i = 0; i < m_arrNames.size(); ++i)
        m_arrNames[i] = i < names.size() ? names[i] : CString();
}

void CRecentFileList::WriteList(CProfileStore& store)
{
    for (int i = 0; i < GetSize(); ++i)
    {
        const CString& name = m_arrNames[(size_t)i];
        store.WriteString(m_strSectionName, GetEntryName(i),
                          name.IsEmpty() ? nullptr : name.GetString());
    }
}
