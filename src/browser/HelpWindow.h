#pragma once

class QWidget;

// Opens the user guide in its help window (one window, brought to the front
// when open already).
void showGuide(QWidget *parent);
