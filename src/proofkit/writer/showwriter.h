#pragma once

#include <QString>

#include "proofkit_export.h"

class DialogWriter;

// The command set's "Show Writer": a new writing window of its own (deleted when closed) holding the
// given text, shown. Returns it.
PROOFKIT_EXPORT DialogWriter* showWriter(const QString& text);
