#pragma once
// CVelmarDoc: one open XML file (or a new, unsaved one). It owns the wide XML
// file object, whose root node is the parent of the document's top-level
// nodes; the views only point into that tree.
#include "velmar/framework/framework.h"
#include "velmar/xml/nkDS.h"

class CVelmarDoc : public CDocument
{
    DECLARE_DYNCREATE(CVelmarDoc)
public:
    CVelmarDoc();
    ~CVelmarDoc() override;

    nkDS::CXmlFileW& GetXmlFile() { return m_xmlFile; }
    DWORD GetLoadTime() const { return m_dwLoadTime; } // milliseconds of the last load

    BOOL OnNewDocument() override;
    BOOL OnOpenDocument(LPCWSTR lpszPathName) override;
    // Writes through a temporary file, so a failed save never harms the file on disk.
    BOOL OnSaveDocument(LPCWSTR lpszPathName) override;
    void OnCloseDocument() override;
    BOOL IsModified() override;
    // TRUE (exactly 1) also marks the caption of the active child frame.
    void SetModifiedFlag(BOOL bModified = TRUE) override;
    // The content never passes through the framework's archive.
    void Serialize(CArchive& ar) override;

protected:
    nkDS::CXmlFileW m_xmlFile;
    DWORD m_dwLoadTime = 0;

    DECLARE_MESSAGE_MAP()
};
