#include "title_banner.h"

// Compiling placeholder.
TitleBanner::TitleBanner(QWidget* parent) : QLabel(parent) {}
void TitleBanner::paintEvent(QPaintEvent*) {}
