// Sizing rules the dialogs share so that they work on a 240 × 320 portrait
// screen (finger-sized controls, the whole screen, scrolling) and keep the
// desktop's own look on a large one.
#pragma once

class QApplication;
class QDialog;
class QFileDialog;
class QPushButton;
class QRect;
class QScreen;
class QString;
class QWidget;

namespace mw {

// Smallest height of a control a finger must hit, in logical pixels, where
// the screen does not tell its physical size.
inline constexpr int kFingerSize = 32;
// What a fingertip needs, whatever the pixels: touch guides ask for 7 to 9.
inline constexpr double kFingerMillimetres = 8.0;

// The finger size in logical pixels on a screen of `logicalDotsPerInch`
// device-independent pixels per inch (what Qt reports as the physical
// density); never below kFingerSize, and kFingerSize for a density no real
// screen has (an unknown physical size).
int FingerSizeFor(double logicalDotsPerInch);
// The finger size on the screen the widget is on (or the primary screen).
int FingerSize(const QWidget* widget);

// True when the screen the widget is (or will be) on is a handheld's.
bool IsSmallScreen(const QWidget* widget);
// Screens driven by fingers: small ones, and dense ones (two or more device
// pixels a logical pixel: phones and tablets).
bool WantsFingerSizedControls(const QScreen* screen);
// The application's style sheet for finger-sized controls: buttons, tool
// buttons, inputs, menu entries and the rows of every list and tree at
// least `finger` pixels high; `fontHeight` is the font's line height.
QString FingerSizedStyleSheet(int finger, int fontHeight);
// Applies that sheet to the whole application when its primary screen
// wants it, so every window and dialog gets it without a call of its own.
void UseFingerSizedControls(QApplication& app);

// Gives `control` a finger-sized height on a small screen.
void MakeFingerSized(QWidget* control, bool small);
// Places a window so that its frame (title bar and borders, as far as the
// window manager has told them) covers `outer`.
void SetFrameGeometry(QWidget* window, const QRect& outer);
// On a small screen: the dialog takes the screen's free area.
void FitDialogToScreen(QDialog* dialog);
// On a small screen: a push button as narrow as its text and a finger
// allow, instead of the style's least width of some 80 pixels, so that a
// row of short buttons fits a 240-pixel screen.
void MakeNarrow(QPushButton* button, bool small);
// On a small screen: the desktop's file dialog laid out for a narrow
// screen (its own widgets rather than a native window, no side bar, the
// name and type fields across the whole width, the buttons in a row
// below them) and fitted to the screen.
void FitFileDialogToScreen(QFileDialog* dialog);

}  // namespace mw
