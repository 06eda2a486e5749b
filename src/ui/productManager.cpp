#include "productManager.h"

#include "frmMain.h"
#include "frmPro.h"

void linkProductManager(frmMain& window)
{
    QObject::connect(&window, &frmMain::productManagerRequested, &window,
                     [&window](const ProductCatalogue& catalogue) {
                         frmPro manager(catalogue, &window);
                         QObject::connect(&manager, &frmPro::recordsChanged, &window,
                                          &frmMain::LoadProducts);
                         manager.exec();
                     });
}
