#pragma once

#include <functional>

#include "proofkit_export.h"

class QMessageBox;

// The shell's own message boxes (update offers, download questions) run through one replaceable
// function, so tests answer them without a nested modal loop.
using ModalBoxHandler = std::function<int(QMessageBox& box)>;

// Replaces the handler; an empty one restores the default (QMessageBox::exec).
PROOFKIT_EXPORT void setModalBoxHandler(ModalBoxHandler handler);
PROOFKIT_EXPORT int runModalBox(QMessageBox& box);

// The house look of a box: labels at least 60 pixels high and the box at least 250 pixels wide.
PROOFKIT_EXPORT void widenBox(QMessageBox& box);
