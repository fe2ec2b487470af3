#pragma once
// What the GUI suites share: a scripted user in place of the dialogs, a
// scratch folder, running the event loop, and ending an application.
#include "velmar/framework/framework.h"

#include <QTemporaryDir>

#include <deque>
#include <string>
#include <utility>
#include <vector>

// Answers message boxes and file prompts from queues and records what was asked.
class CScriptedUser : public w32::IUiProvider
{
public:
    std::vector<w32::MessageBoxRequest> boxes;
    std::deque<int> answers; // the default button when empty
    std::vector<w32::FileDialogRequest> prompts;
    std::deque<std::wstring> fileNames;                // empty string: cancelled
    std::vector<std::pair<HWND, std::wstring>> sheets; // property sheets asked for

    int ShowMessageBox(const w32::MessageBoxRequest& request) override;
    bool ShowFileDialog(const w32::FileDialogRequest& request,
                        w32::FileDialogAnswer& answer) override;
    bool ShowFileProperties(HWND owner, const std::wstring& path) override;
    std::wstring LastText() const { return boxes.empty() ? std::wstring() : boxes.back().text; }
};

// Runs the event loop for `ms`, going idle in between, then the deferred deletes.
void SpinEvents(int ms);

// Closes every document unsaved (nothing may ask any more) and the main window.
void CloseApplication(CWinApp& app);

// File New on the first template; the new document, or null when none was made.
CDocument* NewDocumentOf(CWinApp& app);

// One test's world: a temporary folder and the scripted user installed.
class GuiFixture
{
public:
    GuiFixture();
    ~GuiFixture();
    GuiFixture(const GuiFixture&) = delete;
    GuiFixture& operator=(const GuiFixture&) = delete;

    QTemporaryDir dir;
    CScriptedUser user;

    std::wstring Path(const char* name) const;
    void WriteFile(const char* name, const std::string& bytes) const;
    std::string ReadFile(const char* name) const; // "<missing>" when it cannot be read
    std::vector<std::string> FileNames() const;   // what the folder holds

private:
    w32::IUiProvider* m_pPreviousUi = nullptr;
};
