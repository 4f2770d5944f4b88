#ifndef CADENZA_DEVICECHOICE_H
#define CADENZA_DEVICECHOICE_H

#include <QAudioDeviceInfo>
#include <QList>
#include <QString>
#include <QStringList>

class QInputDialog;
class QWidget;

// Which input device capture uses, from the devices' names as the audio
// system lists them (several devices may share a name).
namespace devicechoice {

// The names of the devices, in list order.
QStringList namesOf(const QList<QAudioDeviceInfo> &devices);

// A device is usable when it is a device at all and reports something in
// each of its capability lists (sample rates, channel counts, sample sizes,
// codecs); an unusable one is never started, so a switch to one leaves the
// running capture alone.
bool usable(bool isNull, int rates, int channels, int sizes, int codecs);

// The device capture starts with: the first one named as the stored name, or
// -1 for the system's default device (no stored name, or none of that name).
int startIndex(const QStringList &names, const QString &stored);

// The entry the switch dialog preselects: the last one named as the current
// device, else the first.
int preselected(const QStringList &names, const QString &current);

// The device a name chosen in the switch dialog stands for: the first one of
// that name, or -1.
int chosenIndex(const QStringList &names, const QString &chosen);

// The dialog of Settings > Select Audio Input, not yet shown: the devices'
// names with `inUse` preselected (see preselected); without a device it says
// "No microphone found" and its OK is disabled.
QInputDialog *inputDialog(QWidget *parent, const QStringList &names, const QString &inUse);

} // namespace devicechoice

#endif
