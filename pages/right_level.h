#pragma once
// The login's right level as the pages see it: 0 not logged in, 1
// administrator, 2 super administrator (message type 17, Dialog_Login).
//
// A widget under the main window that has controls the level protects
// inherits RightLevelReceiver next to its Qt base class:
//
//     class Page_Info : public QWidget, public RightLevelReceiver { ...
//         void setRightLevel(int level) override;
//
// The main window hands every such widget the level whenever it changes, and
// once at start-up (after the automatic login). A widget created later (for
// example one a page makes on first use) asks its creator for the level.
//
// The rules below are the one place that says what each level opens; a page
// combines them with its own state (connected, parameter block received).

namespace rights {

// Parameter page: the groups that change the scanner's settings (groupBox,
// groupBox_2, groupBox_3, groupBox_5 and groupBox_6), and only while a
// parameter block is shown.
inline bool parameterGroupsEnabled(int level) {
    return level == 1 || level == 2;
}

// Configuration page: the firmware group (groupBox_3). Never while a scanner
// is connected, whatever the level.
inline bool firmwareGroupEnabled(int level, bool connected) {
    return (level == 1 || level == 2) && !connected;
}

// Point-cloud page: pb_admin, which opens the admin page.
inline bool adminButtonVisible(int level) {
    return level == 2;
}

}  // namespace rights

class RightLevelReceiver {
public:
    virtual ~RightLevelReceiver() = default;
    // The current level, 0..2. GUI thread.
    virtual void setRightLevel(int level) = 0;
};
