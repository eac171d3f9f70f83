#pragma once
// The program's name and version as the windows, boxes and reports show
// them. Every text that names the program takes the name from here.

#include <QString>

// "KVE": the one name of the program, in every caption, box title and text.
QString ProgramName();
// Major, minor and revision joined by "." ("3.1.0"): the version that the
// dataset files carry.
QString ProgramVersionText();
// The main window's caption without a dataset: the name, " v. " and the
// version ("KVE v. 3.1.0").
QString MainWindowCaption();
// The comparison window's caption: the name alone until a comparison file
// is read, then the name, " v. ", the version, " - " and the file's name
// without its folder.
QString ComparisonWindowCaption(const QString& compareFileName = QString());
// The user manual, an HTML file in the program's own folder.
QString ManualPath();
