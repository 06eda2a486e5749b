#include "frmMain.h"
#include "productManager.h"

#include <QApplication>
#include <QIcon>

#ifndef INKWRIGHT_FULL_EDITION
#error "Build with INKWRIGHT_FULL_EDITION set to 1 (InkwrightPlus) or 0 (Inkwright)"
#endif

static constexpr bool FullEdition = INKWRIGHT_FULL_EDITION != 0;

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(FullEdition ? QStringLiteral("InkwrightPlus")
                                                 : QStringLiteral("Inkwright"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/inkwright/inkwright.png")));

    frmMain window(FullEdition);
    linkProductManager(window);
    window.show();
    window.reportStartupProblems();
    return QApplication::exec();
}
