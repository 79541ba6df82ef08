#pragma once

#include <QByteArray>
#include <QCoreApplication>

namespace hb {

// Before the QApplication of a program that opens the tutorial browser in tests: the engine
// runs without its sandbox (the tests run as root) and without its background networking, so
// that it fetches nothing but the loopback pages it is given. A program that makes the browser
// screen itself shares the graphics context from the start; one that opens it through the
// catalogue leaves that to the application, as the program does.
enum class EngineGraphics { SharedAtStart, LeftToTheApplication };

inline void prepareWebEngineForTests(EngineGraphics graphics = EngineGraphics::SharedAtStart)
{
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-background-networking "
                                          "--disable-component-update --disable-sync "
                                          "--no-first-run");
    if (graphics == EngineGraphics::SharedAtStart)
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

} // namespace hb
