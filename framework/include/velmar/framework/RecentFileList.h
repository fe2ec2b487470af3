#pragma once
// CRecentFileList: the most-recently-used files, most recent first, shown in
// the File menu in place of its "Recent files" item.
#include "velmar/framework/AfxString.h"

#include <vector>

class CCmdUI;
class CProfileStore;

class CRecentFileList
{
public:
    // nStart: command id of the first entry; nSize: how many are kept (1..16).
    CRecentFileList(UINT nStart, LPCWSTR lpszSection, LPCWSTR lpszEntryFormat, int nSize,
                    int nMaxDispLen = 30);

    int GetSize() const { return (int)m_arrNames.size(); }
    const CString& operator[](int nIndex) const
    {
        return m_arrNames[(size_t)nIndex];
    } // empty when unused
    const CString& GetSection() const { return m_strSectionName; }
    CString GetEntryName(int nIndex) const; // "File1" for index 0

    virtual void Add(LPCWSTR lpszPathName); // moves an existing entry to the top
    virtual void Remove(int nIndex);        // later entries move up
    // The menu text of entry nIndex: "&1 name" with "&" in the name doubled;
    // FALSE for an empty entry.
    BOOL GetDisplayName(CString& strName, int nIndex, BOOL bAtLeastName = TRUE) const;
    // Replaces the placeholder item of pCmdUI by the entries, or shows the
    // placeholder grayed when the list is empty.
    virtual void UpdateMenu(CCmdUI* pCmdUI);
    virtual void ReadList(CProfileStore& store);  // entries missing in the store stay empty
    virtual void WriteList(CProfileStore& store); // empty entries are removed from the store

    virtual ~CRecentFileList() = default;

protected:
    std::vector<CString> m_arrNames;
    CString m_strSectionName;
    CString m_strEntryFormat;
    UINT m_nStart;
    int m_nMaxDisplayLength;
    CString m_strOriginal; // the placeholder's own text
};
