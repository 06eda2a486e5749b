#pragma once

class frmMain;

// Makes the main window's "Manage" link open the product manager (frmPro) over it, modal, on the
// window's catalogue; the window's product box follows every record the manager saves or
// deletes. The two windows know nothing of each other: this is where they meet.
void linkProductManager(frmMain& window);
