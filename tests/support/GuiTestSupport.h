#pragma once
// What the GUI suites share: a scripted user in place of the dialogs, a
// scratch folder, running the event loop, watching pop-up menus, reading the
// registry back, and ending an application.
#include "velmar/framework/framework.h"

#include <QContextMenuEvent>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QMenu;

namespace testsupport
{

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

// A context-menu event at `at` of pWidget, as the right button or the menu key sends it;
// the point in screen coordinates.
QPoint RightClick(QWidget* pWidget, QPoint at,
                  QContextMenuEvent::Reason reason = QContextMenuEvent::Mouse);

// Closes every document unsaved (nothing may ask any more) and the main window.
void CloseApplication(CWinApp& app);

// File New on the first template; the new document, or null when none was made.
CDocument* NewDocumentOf(CWinApp& app);

// Whether the update handlers `pTarget` routes to enable command nID (false
// when nobody answers).
bool CommandEnabled(CCmdTarget* pTarget, UINT nID);

// The items a pop-up menu showed, separators left out.
struct PopupItems
{
    bool shown = false;
    QStringList texts;
    QList<bool> enabled;
    QList<bool> checked;
};

// Runs `open`, which may bring up a pop-up menu (and may or may not wait for it
// to close). Once it is up its items are recorded and it goes to `choose`,
// which by default closes it without a choice.
PopupItems WatchPopup(const std::function<void()>& open,
                      const std::function<void(QMenu*)>& choose = {});

// A REG_SZ value under HKEY_CURRENT_USER as another program would read it.
std::optional<std::wstring> RegistryString(const std::wstring& key, const wchar_t* value);

// The environment that keeps a program's settings, caches and registry below
// `root`, so that nothing of the user's is read or written.
std::vector<std::pair<const char*, QString>> PrivateHome(const QString& root);

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

} // namespace testsupport
