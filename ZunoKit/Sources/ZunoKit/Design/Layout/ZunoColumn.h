#pragma once

class QVBoxLayout;
class QWidget;

// A vertical stack with the given spacing and the same margin on every side, installed as `owner`'s
// layout.
QVBoxLayout *zunoColumn(QWidget *owner, int spacing, int margin = 0);
