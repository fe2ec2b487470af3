#pragma once
// CDocument: the data of one open file (or of a new, unsaved document), its
// title, path and modified flag, the views that show it, and the framework's
// protocol around it: new, open, save, save as, close, "Save changes to %1?".
#include "velmar/framework/CmdTarget.h"
#include "velmar/framework/AfxString.h"

#include <vector>

class CArchive;
class CDocTemplate;
class CFrameWnd;
class CView;

struct __POSITION;
typedef __POSITION*
    POSITION; // a place in a list of the framework, as returned by GetFirst...Position

class CDocument : public CCmdTarget
{
    DECLARE_DYNAMIC(CDocument)
public:
    CDocument();
    ~CDocument() override;

    const CString& GetTitle() const { return m_strTitle; }
    virtual void SetTitle(LPCWSTR lpszTitle); // also retitles the frames
    const CString& GetPathName() const { return m_strPathName; }
    virtual void SetPathName(LPCWSTR lpszPathName,
                             BOOL bAddToMRU = TRUE); // full path; title becomes the file name
    CDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }
    virtual BOOL IsModified() { return m_bModified; }
    virtual void SetModifiedFlag(BOOL bModified = TRUE) { m_bModified = bModified; }

    // Views.
    void AddView(CView* pView);
    void RemoveView(CView* pView); // the last view gone closes an auto-delete document
    const std::vector<CView*>& GetViews() const { return m_viewList; }
    POSITION GetFirstViewPosition() const;
    CView* GetNextView(POSITION& rPosition) const;
    void UpdateAllViews(CView* pSender, LPARAM lHint = 0, CObject* pHint = nullptr);
    virtual void OnChangedViewList();
    virtual void UpdateFrameCounts(); // numbers the frames (":1", ":2") when there are several

    // The document protocol.
    virtual void DeleteContents();
    virtual BOOL OnNewDocument();
    virtual BOOL OnOpenDocument(LPCWSTR lpszPathName);
    // Checks that the file can be written and serializes into a temporary file
    // that replaces it only when complete; writing nothing leaves an existing file untouched.
    virtual BOOL OnSaveDocument(LPCWSTR lpszPathName);
    virtual void OnCloseDocument();
    virtual BOOL SaveModified(); // FALSE when the user cancelled
    virtual BOOL CanCloseFrame(CFrameWnd* pFrame);
    virtual void PreCloseFrame(CFrameWnd* pFrame);
    virtual BOOL DoSave(LPCWSTR lpszPathName,
                        BOOL bReplace = TRUE); // null: ask for a name (Save As)
    virtual BOOL DoFileSave();
    virtual void ReportSaveLoadException(LPCWSTR lpszPathName, int nCause, BOOL bSaving,
                                         UINT nIDPDefault);

    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

    void OnFileClose();
    void OnFileSave();
    void OnFileSaveAs();

    BOOL m_bAutoDelete = TRUE; // deleted when its last view goes
    BOOL m_bEmbedded = FALSE;

protected:
    CString m_strTitle;
    CString m_strPathName;
    CDocTemplate* m_pDocTemplate = nullptr;
    std::vector<CView*> m_viewList;
    BOOL m_bModified = FALSE;
    friend class CDocTemplate;

    DECLARE_MESSAGE_MAP()
};
