#include "form.h"

#include "ui_form.h"

void setUpPanelForm(QWidget* widget)
{
    Ui::PanelForm form;
    form.setupUi(widget);
}
