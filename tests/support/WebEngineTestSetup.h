#pragma once

#include <QByteArray>
#include <QCoreApplication>

namespace hb {

// Before the QApplication of a program that opens the tutorial browser in tests: the engine
// runs without its sandbox (the tests run as root) and without its background networking, so
// that it fetches nothing but the loopback pages it is given.
inline void prepareWebEngineForTests()
{
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-background-networking "
                                          "--disable-component-update --disable-sync "
                                          "--no-first-run");
    // The engine shares its graphics context with the widgets (it may come from a plugin).
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

} // namespace hb
