#pragma once
// COleDataSource: data offered to other programs, on the clipboard or as the
// payload of a drag, as text under one or more formats (MIME names such as
// "text/plain" or "application/xml").
#include "velmar/framework/OleDropTarget.h"

class QMimeData;

class COleDataSource
{
public:
    COleDataSource();
    ~COleDataSource();
    COleDataSource(const COleDataSource&) = delete;
    COleDataSource& operator=(const COleDataSource&) = delete;

    // Offers `text` under `format`; "text/plain" is the text every program reads.
    void CacheText(LPCWSTR format, const CString& text);
    // Puts the data on the system clipboard, which owns it from then on.
    void SetClipboard();
    // Runs a drag of the data from pWnd until it is dropped or given up; the
    // effect the target carried out, DROPEFFECT_NONE when none.
    DROPEFFECT DoDragDrop(CWnd* pWnd, DROPEFFECT dwEffects);
    // The data as it stands; it stays this source's.
    const QMimeData* GetMimeData() const { return m_pData; }
    // Gives the data away; the caller deletes it.
    QMimeData* Detach();

private:
    QMimeData* m_pData;
};

// The text of `format` in a data object: FALSE when it offers none.
BOOL AfxGetDataText(const COleDataObject& data, LPCWSTR format, CString& rText);
// The system clipboard's current data, for reading with a COleDataObject.
const QMimeData* AfxGetClipboardData();
