#pragma once
// Stand-ins for what the win32 layer hands to the desktop on POSIX: a launcher
// that records instead of starting, and a user who answers message boxes and
// file dialogs from a script.

#include "velmar/win32/win32.h"

#include <deque>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#ifndef _WIN32
namespace testsupport
{

// Replaces the launcher while alive; every request is kept, nothing runs.
class LaunchRecorder
{
public:
    explicit LaunchRecorder(DWORD result = 0) : result_(result)
    {
        w32::SetLauncher(
            [this](const w32::LaunchRequest& r, int* pid)
            {
                std::lock_guard<std::mutex> lock(mutex_);
                requests_.push_back(r);
                if (pid)
                    *pid = result_ ? 0 : 4242;
                return result_;
            });
    }
    ~LaunchRecorder() { w32::SetLauncher(nullptr); }
    std::vector<w32::LaunchRequest> requests() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return requests_;
    }
    std::vector<std::string> lastArgv() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return requests_.empty() ? std::vector<std::string>() : requests_.back().argv;
    }

private:
    DWORD result_;
    mutable std::mutex mutex_;
    std::vector<w32::LaunchRequest> requests_;
};

// Answers message boxes and file dialogs from a script and records what it was
// asked, property sheets included.
class ScriptedUi : public w32::IUiProvider
{
public:
    std::deque<int> boxAnswers;
    std::deque<std::wstring> fileAnswers; // empty string: the user cancels
    std::vector<w32::MessageBoxRequest> boxes;
    std::vector<w32::FileDialogRequest> dialogs;
    std::vector<std::pair<HWND, std::wstring>> sheets;
    DWORD chosenFilter = 0;

    int ShowMessageBox(const w32::MessageBoxRequest& request) override
    {
        boxes.push_back(request);
        if (boxAnswers.empty())
            return request.defaultButton;
        const int answer = boxAnswers.front();
        boxAnswers.pop_front();
        return answer;
    }
    bool ShowFileDialog(const w32::FileDialogRequest& request,
                        w32::FileDialogAnswer& answer) override
    {
        dialogs.push_back(request);
        if (fileAnswers.empty() || fileAnswers.front().empty())
            return false;
        answer.path = fileAnswers.front();
        answer.filterIndex = chosenFilter;
        fileAnswers.pop_front();
        return true;
    }
    bool ShowFileProperties(HWND owner, const std::wstring& path) override
    {
        sheets.emplace_back(owner, path);
        return true;
    }
};

} // namespace testsupport
#endif
