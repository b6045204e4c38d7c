// The headers nearly every test of the screens reads, compiled once for all of them.
#pragma once

#include "support/pch/CoreTestHeaders.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
