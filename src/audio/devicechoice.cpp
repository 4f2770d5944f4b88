#include "audio/devicechoice.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QtGlobal>

namespace devicechoice {

QStringList namesOf(const QList<QAudioDeviceInfo> &devices)
{
    QStringList names;
    for (const QAudioDeviceInfo &d : devices)
        names << d.deviceName();
    return names;
}

bool usable(bool isNull, int rates, int channels, int sizes, int codecs)
{
    return !isNull && rates > 0 && channels > 0 && sizes > 0 && codecs > 0;
}

int startIndex(const QStringList &names, const QString &stored)
{
    return stored.isEmpty() ? -1 : int(names.indexOf(stored));
}

int preselected(const QStringList &names, const QString &current)
{
    return qMax(0, int(names.lastIndexOf(current)));
}

int chosenIndex(const QStringList &names, const QString &chosen)
{
    return int(names.indexOf(chosen));
}

QInputDialog *inputDialog(QWidget *parent, const QStringList &names, const QString &inUse)
{
    auto *dialog = new QInputDialog(parent);
    dialog->setWindowTitle(QCoreApplication::translate("Cadenza", "Select input device"));
    dialog->setComboBoxEditable(false);
    dialog->setComboBoxItems(names);
    if (!names.isEmpty()) {
        dialog->setLabelText(QCoreApplication::translate("Cadenza", "Select/switch input device"));
        dialog->setTextValue(names.at(preselected(names, inUse)));
        return dialog;
    }
    dialog->setLabelText(QCoreApplication::translate("Cadenza", "No microphone found"));
    (void)dialog->sizeHint(); // makes the dialog's widgets
    // Without a list the dialog shows its text field: nothing to type there.
    for (QLineEdit *field : dialog->findChildren<QLineEdit *>())
        field->setEnabled(false);
    if (auto *buttons = dialog->findChild<QDialogButtonBox *>())
        buttons->button(QDialogButtonBox::Ok)->setEnabled(false);
    return dialog;
}

} // namespace devicechoice
