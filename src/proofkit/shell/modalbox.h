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

// Gives a shell box the client's minimum sizes, so every box of the program looks alike.
PROOFKIT_EXPORT void widenBox(QMessageBox& box);
