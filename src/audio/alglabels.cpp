#include "app/cadenza.h"
#include "ui_cadenza.h"

#include <QInputDialog>

void Cadenza::on_algStoreButton_clicked()
{
    const std::vector<float> durations = findAlgRepetitions();
    if (durations.empty())
        return;
    const QString proposed = tr("Alg %1").arg(algSequences.size() + 1);
    bool ok = false;
    const QString label = QInputDialog::getText(this, tr("Set alg/sequence label"),
                                                tr("What label do you want to assign to the current sequence?"),
                                                QLineEdit::Normal, proposed, &ok);
    if (!ok)
        return;
    algLabels.append(label);
    algSequences.push_back(durations);
    updateAlgDisplayHeight();
    updateHistory();
}

void Cadenza::on_algRemoveButton_clicked()
{
    if (algLabels.isEmpty())
        return;
    bool ok = false;
    const QString chosen = QInputDialog::getItem(this, tr("Remove Alg/Sequence"),
                                                 tr("Which Alg/Sequence do you want to remove?"), algLabels,
                                                 algLabels.size() - 1, false, &ok);
    if (!ok)
        return;
    const int idx = algLabels.indexOf(chosen);
    if (idx < 0 || std::size_t(idx) >= algSequences.size())
        return;
    algLabels.removeAt(idx);
    algSequences.erase(algSequences.begin() + idx);
    updateAlgDisplayHeight();
    updateHistory();
}
