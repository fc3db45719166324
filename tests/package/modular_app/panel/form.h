#pragma once

class QWidget;

// Lays the panel's form out on `widget`; built where the Qt has widgets, never shown here.
void setUpPanelForm(QWidget* widget);
