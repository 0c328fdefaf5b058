#pragma once
// Operator messages and file choices of the pages, with one process-wide
// hook for each so that tests and unattended runs answer them instead of a
// person. GUI thread only.

#include <QString>
#include <functional>

class QWidget;

namespace pagemsg {

// Receives every message instead of a modal box while set.
using MessageHook = std::function<void(const QString& title, const QString& text)>;
void setMessageHook(MessageHook hook);

// A modal warning box with a single OK button, or the hook when one is set.
// `title` is the translated "warm" or "error".
void show(QWidget* parent, const QString& title, const QString& text);

// What a file dialog asks for.
enum class FileChoice { OpenFile, SaveFile, Directory };
// Returns the chosen path, empty on cancel.
using FileHook = std::function<QString(FileChoice kind, const QString& caption, const QString& dir,
                                       const QString& filter)>;
void setFileHook(FileHook hook);

// The standard dialog for `kind`, or the hook when one is set. A dialog
// with several filters reports the one chosen in *selectedFilter (the hook
// leaves it as it is).
QString chooseFile(QWidget* parent, FileChoice kind, const QString& caption, const QString& dir,
                   const QString& filter = QString(), QString* selectedFilter = nullptr);

}  // namespace pagemsg
