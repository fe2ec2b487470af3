#include "velmar/framework/MessagePump.h"

#include <QCoreApplication>
#include <QEventLoop>

void AfxPumpWaitingMessages(DWORD dwMaxMilliseconds)
{
    if (!QCoreApplication::instance())
        return;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents,
                                    static_cast<int>(dwMaxMilliseconds));
}
