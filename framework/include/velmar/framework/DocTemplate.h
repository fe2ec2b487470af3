#pragma once
// CDocTemplate and CMultiDocTemplate: join a document class, a frame class and
// a first view class under one resource id, whose string holds seven
// newline-separated fields (window title, document name, file-new name, filter
// name, filter extension, registry file type id and name).
#include "velmar/framework/CmdTarget.h"
#include "velmar/framework/AfxString.h"

#include <vector>

class CDocument;
class CFrameWnd;

class CDocTemplate : public CCmdTarget
{
    DECLARE_DYNAMIC(CDocTemplate)
public:
    enum DocStringIndex
    {
        windowTitle,
        docName,
        fileNewName,
        filterName,
        filterExt,
        regFileTypeId,
        regFileTypeName
    };
    enum Confidence
    {
        noAttempt,
        maybeAttemptForeign,
        maybeAttemptNative,
        yesAttemptForeign,
        yesAttemptNative,
        yesAlreadyOpen
    };

    UINT m_nIDResource;
    CRuntimeClass* m_pDocClass;
    CRuntimeClass* m_pFrameClass;
    CRuntimeClass* m_pViewClass;
    CString m_strDocStrings;

    ~CDocTemplate() override;

    virtual BOOL GetDocString(CString& rString,
                              DocStringIndex index) const; // FALSE when the field is absent
    virtual void LoadTemplate();

    virtual void AddDocument(CDocument* pDoc);
    virtual void RemoveDocument(CDocument* pDoc);
    virtual std::vector<CDocument*> GetDocuments() const = 0;

    virtual CDocument* CreateNewDocument(); // null if the class cannot be created
    virtual CFrameWnd* CreateNewFrame(CDocument* pDoc,
                                      CFrameWnd* pOther); // frame and first view for pDoc
    virtual void InitialUpdateFrame(CFrameWnd* pFrame, CDocument* pDoc, BOOL bMakeVisible = TRUE);
    virtual BOOL SaveAllModified();
    virtual void CloseAllDocuments(BOOL bEndSession);
    virtual CDocument* OpenDocumentFile(LPCWSTR lpszPathName,
                                        BOOL bMakeVisible = TRUE) = 0; // null path: new
    virtual void SetDefaultTitle(CDocument* pDocument) = 0;
    virtual Confidence MatchDocType(LPCWSTR lpszPathName, CDocument*& rpDocMatch);

protected:
    CDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass,
                 CRuntimeClass* pViewClass);
};

class CMultiDocTemplate : public CDocTemplate
{
    DECLARE_DYNAMIC(CMultiDocTemplate)
public:
    HMENU m_hMenuShared = nullptr; // the menu of its documents' windows (owned)
    HACCEL m_hAccelTable = nullptr;
    UINT m_nUntitledCount = 0; // numbers new documents: XML1, XML2, ...

    CMultiDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass,
                      CRuntimeClass* pViewClass);
    ~CMultiDocTemplate() override;

    void LoadTemplate() override;
    void AddDocument(CDocument* pDoc) override;
    void RemoveDocument(CDocument* pDoc) override;
    std::vector<CDocument*> GetDocuments() const override { return m_docList; }
    CDocument* OpenDocumentFile(LPCWSTR lpszPathName, BOOL bMakeVisible = TRUE) override;
    void SetDefaultTitle(CDocument* pDocument) override;

protected:
    std::vector<CDocument*> m_docList;
};
