#pragma once

#include <functional>

class QDialog;

class QObject;

// Runs answer on the next modal dialog that opens (from inside its modal
// run); answer must close it. With an owner, the watch ends with the owner
// when no dialog opened (a test that expects none).
void onNextModalDialog(std::function<void(QDialog*)> answer, QObject* owner = nullptr);
