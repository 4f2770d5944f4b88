#include "app/cadenza.h"

void Cadenza::on_algStoreButton_clicked() {}
void Cadenza::on_algRemoveButton_clicked() {}
