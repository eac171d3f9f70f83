#pragma once
// The commands that work on whole dataset files: "Open", "Save", "As",
// "New" and "View", and the main window's LoadFile and SaveFile, which read
// the option controls, the sheet and the notes into a dataset file and
// back. Every road that opens a dataset (the Open button, a file dropped on
// the sheet, CallLoad, the command line) ends in Open.

#include <QString>

#include <functional>

#include "core/dataset_file.hpp"

class frmMain;

namespace DatasetCommands {

// "Open". In BatchMode the file is OpenRequestFile, without a dialog.
// False when a file was named but refused; the dataset, DataFileName and
// the caption then stay as they were.
bool Command8_Click(frmMain& window);
// "Save": to DataFileName, or "As" when no file is named. False on failure.
bool Command1_Click(frmMain& window);
// "As". False when the dataset was not saved (cancel, No, failure).
bool Command17_Click(frmMain& window);
// "New": asks before clearing the cells and the notes; either answer
// leaves the dataset without a name (DataFileName empty).
void Command5_Click(frmMain& window);
// "View": a chosen text file in the editor.
void Command4_Click(frmMain& window);

// Reads a dataset file into the window: the options in file order, the
// row count, the sheet and the notes. A refused file changes nothing and is
// reported; the result says whether the file was applied.
bool LoadFile(frmMain& window, const QString& Filename, bool Confirm, bool ConfirmBeep, bool ConfirmInfo);
// Writes the window's dataset; the previous file stays intact on failure,
// which is reported. The result says whether the file was written.
bool SaveFile(frmMain& window, const QString& Filename, bool Confirm, bool ConfirmBeep, bool ConfirmInfo);

// The window's dataset as the file keeps it.
DatasetFile::DatasetState readWindow(frmMain& window);
// Applies a read file to the window (the sheet is expected cleared). The
// second form takes the rows over instead of copying them.
void applyContent(frmMain& window, const DatasetFile::DatasetContent& content);
void applyContent(frmMain& window, DatasetFile::DatasetContent&& content);

// Empties every data cell of the grid and the matrix (the empty text).
void clearCells(frmMain& window);

// The sound that confirms a load or save, and answers a line without key;
// tests count it.
std::function<void()>& beeper();

} // namespace DatasetCommands
