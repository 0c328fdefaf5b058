#pragma once
// Command-line options of the program for unattended runs (soak tests,
// demonstrations). Without any of them the window starts as always.
//
//   --connect LINK      open udp://IP:PORT[?local=PORT] or tcp://IP:PORT once the window is up
//   --record            switch "save log" on as soon as the link is open
//   --probe FILE        measure the GUI thread and write the figures to FILE (GuiProbe)
//   --signatures FILE   with --probe: one signature per revolution received while recording
//
// With any of them operator messages go to stderr instead of modal boxes, so
// that nothing waits for a click.

#include <QString>

class QCoreApplication;
class MainPage;

// True for an option of ours followed by its value ("--probe", ...).
bool windowOptionTakesValue(const QString& argument);

// Parses the program's arguments and arranges what they ask for. False (with
// the reason in *error) for a malformed option; unknown arguments are left
// to Qt and ignored here.
bool applyWindowOptions(const QCoreApplication& app, MainPage& window, QString* error);
