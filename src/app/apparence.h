#ifndef APPARENCE_H
#define APPARENCE_H

class QApplication;

// What makes the program look and behave the same on every desktop: its name
// (which names its configuration folder), its font, Liberation Sans, whose
// widths the fixed layouts of its windows were drawn for, and list popups
// that open wide enough for their longest entry. Called once, before the
// main window is built; calling it again changes nothing.
void preparerApplication(QApplication &application);

#endif // APPARENCE_H
