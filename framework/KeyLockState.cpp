#include "velmar/framework/KeyLockState.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

// Linux shows the keyboard LEDs, which the window system keeps in step with
// the locks, under /sys/class/leds as "<device>::capslock" and the like.
static int ReadLedState(const char* suffix)
{
    QDir dir(QStringLiteral("/sys/class/leds"));
    if (!dir.exists())
        return -1;
    const QStringList names =
        dir.entryList({QStringLiteral("*::") + QLatin1String(suffix)}, QDir::Dirs);
    if (names.isEmpty())
        return -1;
    int state = 0;
    for (const QString& name : names)
    {
        QFile f(dir.filePath(name + QStringLiteral("/brightness")));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        if (f.read(16).trimmed().toInt() > 0)
            state = 1;
    }
    return state;
}

int AfxGetKeyLockState(int nVirtKey)
{
    const char* suffix = nVirtKey == VK_CAPITAL   ? "capslock"
                         : nVirtKey == VK_NUMLOCK ? "numlock"
                         : nVirtKey == VK_SCROLL  ? "scrolllock"
                                                  : nullptr;
    if (!suffix)
        return -1;
    // Asked at every idle pass: the answer is kept for a short while.
    static QElapsedTimer s_age;
    static int s_states[3] = {-1, -1, -1};
    int index = nVirtKey == VK_CAPITAL ? 0 : nVirtKey == VK_NUMLOCK ? 1 : 2;
    if (!s_age.isValid() || s_age.elapsed() > 250)
    {
        s_states[0] = ReadLedState("capslock");
        s_states[1] = ReadLedState("numlock");
        s_states[2] = ReadLedState("scrolllock");
        s_age.restart();
    }
    return s_states[index];
}
