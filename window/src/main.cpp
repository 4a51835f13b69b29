#include "application_identity.h"
#include "display_check.h"
#include "form1.h"

#include "norvane/platform.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    if (const auto message = missingDisplayMessage(QString::fromLocal8Bit(argc > 0 ? argv[0] : "norvane"))) {
        std::fprintf(stderr, "%s\n", message->toLocal8Bit().constData());
        return 1;
    }
    // Large batches reuse the memory the last one freed instead of faulting in fresh pages.
    norvane::platform::keepFreedMemoryForBatches();
    QApplication application(argc, argv);
    nameApplication();
    Form1 window;
    window.show();
    return QApplication::exec();
}
