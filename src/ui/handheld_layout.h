// Sizing rules the dialogs share so that they work on a 240 × 320 portrait
// screen (finger-sized controls, the whole screen, scrolling) and keep the
// desktop's own look on a large one.
#pragma once

class QDialog;
class QWidget;

namespace mw {

// Smallest height of a control a finger must hit, in logical pixels.
inline constexpr int kFingerSize = 32;

// True when the screen the widget is (or will be) on is a handheld's.
bool IsSmallScreen(const QWidget* widget);
// Gives `control` a finger-sized height on a small screen.
void MakeFingerSized(QWidget* control, bool small);
// On a small screen: the dialog takes the screen's free area.
void FitDialogToScreen(QDialog* dialog);

}  // namespace mw
