#pragma once

class QPushButton;
class QWidget;

// The "Potvrdi" (default button) and "Odustani" pair of the program's
// confirming dialogs, named btnOK and btnCancel. With enterAlwaysConfirms,
// Enter confirms even while "Odustani" has the focus (the button does not
// become the default when focused).
void MakeConfirmButtons(QWidget *dialog, QPushButton *&ok, QPushButton *&cancel,
                        bool enterAlwaysConfirms);
