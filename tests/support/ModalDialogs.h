#pragma once

#include <functional>

class QDialog;

// Runs answer on the next modal dialog that opens (from inside its modal
// run); answer must close it.
void onNextModalDialog(std::function<void(QDialog*)> answer);
