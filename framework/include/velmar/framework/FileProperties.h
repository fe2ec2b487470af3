#pragma once
// The property sheet of a file, as the shell shows it for the verb
// "properties": name, folder, size, times and the read-only and hidden
// attributes, read through the I/O library. The sheet is modeless, as the
// shell's is: the caller goes on at once and the sheet deletes itself when closed.
#include "velmar/framework/AfxString.h"
#include "velmar/io/DateTime.h"

#include <cstdint>

class QWidget;

struct CFileProperties
{
    CString strName;    // the name without its folder
    CString strFolder;  // the folder, without a trailing separator
    BOOL bRead = FALSE; // the fields below were read from the file
    uint64_t nSize = 0;
    Orvex::CDateTime created, modified, accessed; // local time
    BOOL bReadOnly = FALSE;
    BOOL bHidden = FALSE;

    // Splits the path and reads the file; FALSE (name and folder still set)
    // when the file cannot be opened for reading.
    BOOL Read(LPCWSTR lpszPath);

    // "512 bytes", "1.50 KB (1,536 bytes)", "15.0 MB (15,728,640 bytes)".
    static CString FormatSize(uint64_t nBytes);
    // "2026-12-06 15:04:09"; empty for a record that holds no date.
    static CString FormatTime(const Orvex::CDateTime& time);
};

// A new sheet for the file at lpszPath, not yet shown. Its fields carry the
// object names "name", "folder", "size", "created", "modified", "accessed",
// "readOnly" and "hidden".
QWidget* NewFilePropertiesSheet(LPCWSTR lpszPath, QWidget* pParent);
