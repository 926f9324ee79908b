// "Calibrate Map…": a picture shown whole-window with pan and zoom, points
// placed by a tap and moved by dragging (a loupe shows the pixels under the
// finger), each point's position typed in any position format with its
// datum or taken from the GPS, a waypoint or the navigation target, the
// projection, the residual list with the worst point marked and a switch per
// point, and "Save" into the maps folder. Everything it decides is the core's
// calibration model (map/calibration_edit.h); this is its window.
#pragma once

#include <QDialog>
#include <QImage>
#include <QPointF>
#include <QString>
#include <QWidget>

#include <memory>
#include <string>

#include "map/calibration_edit.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QTemporaryDir;

namespace mw {

struct App;

// The picture with the points on it. A tap on the picture places a point, a
// press on a point selects it and dragging moves it, dragging elsewhere pans;
// the wheel and the +/- buttons zoom.
class CalibratePictureView : public QWidget {
    Q_OBJECT
public:
    explicit CalibratePictureView(QWidget* parent = nullptr);
    void SetImage(const QImage& image);
    // The points to draw: the edit's points, the selected one and the worst.
    void SetPoints(const CalibrationEdit* edit, int selected, int worst);
    void ZoomBy(double factor);
    // Centres the view on an image pixel.
    void CentreOn(QPointF imagePixel);
    double Zoom() const { return zoom_; }
    // Shows the loupe at an image pixel (for pictures of it; a finger shows it
    // while it presses).
    void ShowLoupeAt(QPointF imagePixel);
    void HideLoupe();
    // The whole picture in the view.
    void FitWhole();

signals:
    void placed(int x, int y);
    void moved(int index, int x, int y);
    void selected(int index);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void wheelEvent(QWheelEvent*) override;
    void resizeEvent(QResizeEvent*) override;

private:
    QPointF ToImage(QPointF widget) const;
    QPointF ToWidget(QPointF image) const;
    int PointAt(QPointF widget) const;
    void DrawLoupe(class QPainter& p);

    QImage image_;
    const CalibrationEdit* edit_ = nullptr;
    int selected_ = -1, worst_ = -1;
    double zoom_ = 1;
    QPointF offset_;  // widget position of image pixel (0, 0)
    bool fitted_ = false;
    // The press under way: the point it holds (-1: panning), where it began.
    int dragging_ = -1;
    QPointF pressAt_, lastAt_;
    bool moved_ = false;
    bool loupe_ = false;
    QPointF loupeAt_;  // image pixel under the finger
};

class CalibrateDialog : public QDialog {
    Q_OBJECT
public:
    explicit CalibrateDialog(App& app, QWidget* parent = nullptr);
    ~CalibrateDialog() override;

    // Encodes a picture into a temporary map image (with a progress bar)
    // and shows it; false with a message when it cannot be read.
    bool LoadPicture(const QString& path);
    // Opens a calibration file and the map image beside it.
    bool OpenCalibration(const QString& path);
    // What a tap and a typed position do, for the window and for tests.
    void PlacePoint(int x, int y);
    void SetPointText(int index, const QString& text);
    void SetPointOn(int index, bool on);
    void MovePoint(int index, int x, int y);
    // Writes NAME.mwf2 and NAME.map into the maps folder (or the opened
    // file back in place); false with `error` when nothing was written.
    bool Save(std::string* error = nullptr);

    const CalibrationEdit& Edit() const { return edit_; }
    const CalibrationFit& Fit() const { return fit_; }
    CalibratePictureView* View() const { return view_; }
    QString SavedMapPath() const { return savedMap_; }

private:
    void Build();
    void Refit();
    void ShowSelected();
    void Select(int index);
    void TakePosition(double lat, double lon, int datum);
    void ChoosePicture();
    void ChooseCalibration();
    void ChooseWaypoint();
    void ApplyParams();
    std::string MapsFolder() const;

    App& app_;
    CalibrationEdit edit_;
    CalibrationFit fit_;
    int selected_ = -1;
    bool filling_ = false;  // the controls are being set from the model
    std::unique_ptr<QTemporaryDir> temp_;
    std::string encodedImage_;  // the new picture's map image, until saved
    std::string openedMap_;     // an opened calibration file
    QString savedMap_;

    CalibratePictureView* view_ = nullptr;
    QLabel* pointLabel_ = nullptr;
    QLineEdit* positionEdit_ = nullptr;
    QLabel* positionError_ = nullptr;
    QComboBox* formatCombo_ = nullptr;
    QComboBox* datumCombo_ = nullptr;
    QCheckBox* onCheck_ = nullptr;
    QPushButton* deleteButton_ = nullptr;
    QComboBox* projectionCombo_ = nullptr;
    QLineEdit* paramsEdit_ = nullptr;
    QTableWidget* table_ = nullptr;
    QLabel* summary_ = nullptr;
    QLineEdit* nameEdit_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QLabel* saveReason_ = nullptr;
};

}  // namespace mw
