#pragma once
// The program's version as the windows show it.

#include <QString>

// Major, minor and revision joined by "." ("3.1.0"): the version that the
// dataset files carry.
QString ProgramVersionText();
// The main window's caption without a dataset: "Veltrane v. " followed by
// the version.
QString MainWindowCaption();
