#pragma once
// CSingleInstance: one running program per user and display. A later start
// hands the files of its command line to the running one over a local socket
// and ends; the running one opens them with the application's
// OpenDocumentFile and comes to the front.
#include "velmar/framework/AfxString.h"

#include <memory>
#include <string>
#include <vector>

class CSingleInstance
{
public:
    // lpszName names the program in the channel ("velmar").
    explicit CSingleInstance(LPCWSTR lpszName);
    ~CSingleInstance();
    CSingleInstance(const CSingleInstance&) = delete;
    CSingleInstance& operator=(const CSingleInstance&) = delete;

    // The socket's path: in $XDG_RUNTIME_DIR (else the temporary folder),
    // named after the program, the user and the display.
    const CString& GetChannel() const { return m_strChannel; }

    // Hands the files (relative names made absolute) to the running program.
    // TRUE once it has taken them; FALSE when none answers within
    // dwTimeoutMs, or when the listener is this very process.
    BOOL Forward(const std::vector<std::wstring>& files, DWORD dwTimeoutMs = 5000);

    // Takes the requests of later starts until destroyed. FALSE (last error
    // ERROR_ALREADY_EXISTS) when another program answers on the channel, or
    // ERROR_ACCESS_DENIED when the socket cannot be made; a socket left by a
    // program that died is replaced.
    BOOL Listen();
    BOOL IsListening() const;

private:
    struct Impl;
    CString m_strChannel;
    std::unique_ptr<Impl> m_pImpl;
};
