#pragma once
// CVelmarDoc: one open XML file (or a new, unsaved one). It owns the wide XML
// file object, whose root node is the parent of the document's top-level
// nodes; the views only point into that tree.
#include "velmar/app/NodeCommandHistory.h"
#include "velmar/framework/framework.h"
#include "velmar/xml/nkDS.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>
class CNodeTextMatcher;

class CVelmarDoc : public CDocument
{
    DECLARE_DYNCREATE(CVelmarDoc)
public:
    CVelmarDoc();
    ~CVelmarDoc() override;

    nkDS::CXmlFileW& GetXmlFile() { return m_xmlFile; }
    // Milliseconds from the start of the last open or reload to the first
    // paint of a tree showing it (until that paint, to the end of the load).
    DWORD GetLoadTime() const { return m_dwLoadTime; }
    // Files of at least this many bytes load on a worker thread behind a
    // progress dialog that can cancel the load (20 MiB unless set).
    static void SetBackgroundLoadSize(uint64_t bytes);
    static uint64_t GetBackgroundLoadSize();
    // Whether the document was opened or made in XML 1.0 mode rather than in
    // the editor's strict dialect; it keeps that mode until it closes.
    bool IsXml10() const { return m_xmlFile.IsXml10(); }
    // The setting that makes new and opened documents strict (View menu).
    static bool IsStrictDialectSet();
    static void SetStrictDialect(bool strict);
    // What the open message says about a file the engine refused: the file's
    // name, the line and column and the engine's reason.
    static CString DescribeLoadFailure(LPCWSTR path, nkDS::CXmlFileW& refused);
    // Moves on with every change of the content (an edit, also one the
    // history folds into the step before, an undo or redo, a new tree from
    // the file): what was made from the content for one count is stale at
    // another. Counts never repeat, across documents either.
    uint64_t GetChangeCount() const { return m_changeCount; }
    // The undo history of the nodes, shared by every window on the document.
    CNodeHistory& GetHistory() { return m_history; }
    // Runs `change` as one step of the history named `name`: `touched` are
    // the nodes whose own name, value, parameters or child list it changes.
    // After undo and redo the item of `show` is selected. Whether it changed something.
    BOOL RunEdit(const CString& name, const std::vector<nkDS::CXmlNodeW*>& touched,
                 const std::function<bool()>& change, nkDS::CXmlNodeW* show = nullptr);

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

    // When the file changed on disk since it was loaded or saved (and the
    // user has not already kept the document over that change), asks whether
    // to reload it, saying when unsaved changes would be lost. Whether the
    // document was reloaded.
    BOOL CheckFileChanged(CWnd* pOwner);

    // Replaces every match in the values (parameter values, texts, remarks)
    // as one change of the document. The number of matches replaced; values
    // that cannot hold their new text stay and count in *pSkipped.
    int ReplaceAllValues(const CNodeTextMatcher& matcher, const CString& with, int* pSkipped);

    // What tells another program's change to the file: its size and last write time.
    struct FileStamp
    {
        bool exists = false;
        uint64_t size = 0;
        uint64_t written = 0;
        bool operator==(const FileStamp&) const = default;
    };
    static FileStamp StampOf(LPCWSTR path);

protected:
    // Reads the file again in place of the tree; the tree stays when it cannot be read.
    BOOL Reload();
    // Makes the (empty) document read and write in XML 1.0 mode or strictly.
    void SetMode(bool xml10);
    // Moves the nodes and what was read with them from `fresh` into the document.
    void TakeFrom(nkDS::CXmlFileW& fresh);

    enum class LoadResult
    {
        Loaded,
        Failed,   // `fresh` holds the parser's reason
        Cancelled // the user stopped it; `fresh` is null
    };
    // Reads `path` into a new document of its own, `fresh`, with the
    // parser's `flags`; a large file on a worker behind a progress dialog.
    static LoadResult LoadFile(LPCWSTR path, uint8_t flags,
                               std::shared_ptr<nkDS::CXmlFileW>& fresh);
    // Sets the load time from `dwStart` to now, and again at the first paint of a tree.
    void TimeToPaint(DWORD dwStart);
    // Shows the load time on the status bar when this document is the active one.
    void ShowLoadTimeIfActive();

    nkDS::CXmlFileW m_xmlFile;
    CNodeHistory m_history{*this}; // after the nodes: it goes before them
    DWORD m_dwLoadTime = 0;
    FileStamp m_stamp;      // of the file when loaded or last saved
    FileStamp m_kept;       // a change the user chose not to reload
    bool m_bAsking = false; // a question about the file, or its reload, is on screen
    uint64_t m_changeCount = 0;
    // Calls queued for later hold it weakly: gone, the document is gone.
    std::shared_ptr<char> m_pLife = std::make_shared<char>();

    DECLARE_MESSAGE_MAP()
};
