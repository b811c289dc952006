#pragma once
// Lets the Qt event loop run on this thread until a condition holds, as the
// user-interface thread does while the serial component hands over data.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

class TEventPump {
public:
    // True once done() holds; false when ms passed first.
    template <class Done> static bool until(Done done, int ms)
    {
        QElapsedTimer clock;
        clock.start();
        while (!done()) {
            if (clock.elapsed() > ms)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            QThread::usleep(200);
        }
        return true;
    }
};
