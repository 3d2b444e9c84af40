#pragma once

class QObject;

// Enter (and the keypad's Enter) on a push button that has the focus presses it, in
// every window and dialog of the program, as on the desktop the operators come from;
// the toolkit presses it only with Space unless the button is a dialog's default one.
// Installed once for the whole program; it lives as long as `lastnik`. Escape and
// Enter in the other controls keep what each window does with them.
void enterPritisneGumb(QObject* lastnik);
