// "Track Info" (View menu): the figures of a track and its profile graph,
// for the track on the map, the track log being recorded (followed as it
// grows) or a track file or GPX chosen here. A tap on the graph shows that
// point on the map, where the cursor cross marks it. Modeless, so the map
// stays usable; lays out down to 240 × 320.
#pragma once

#include <QDialog>
#include <QTimer>
#include <optional>

#include "app/track_info.h"
#include "view/track_profile.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace mw {

class TrackProfileWidget;

class TrackInfoWindow : public QDialog {
    Q_OBJECT
public:
    TrackInfoWindow(App& app, QWidget* parent);

    // Opens the window of `parent` (one at a time), or raises it.
    static TrackInfoWindow* ShowFor(App& app, QWidget* parent);

    // Measures `source` again (`path` for a file).
    void ShowSource(TrackInfoSource source, const std::string& path = {});
    // Re-reads the track when it has changed (the recording went on); the
    // timer calls this every two seconds.
    void Follow();
    // A tap on the graph at widget x `x`: marks the nearest sample, writes
    // its read-out and shows its point on the map. False where there is no
    // sample.
    bool TapGraph(int x);

    const TrackInfoTrack& Track() const { return track_; }
    const TrackStats& Stats() const { return stats_; }
    const TrackProfile& Profile() const { return profile_; }
    std::optional<std::size_t> Marked() const { return marked_; }

private:
    void Measure();
    void FillFigures();
    void RebuildProfile();
    void OpenFile();
    // What tells whether the source changed: the ring's write index and
    // count, or the file's size and modification time.
    std::string Stamp() const;

    App& app_;
    TrackInfoTrack track_;
    TrackStats stats_;
    TrackProfile profile_;
    std::optional<std::size_t> marked_;
    std::string filePath_;
    std::string stamp_;
    QComboBox* source_;
    QPushButton* open_;
    QComboBox* yAxis_;
    QComboBox* xAxis_;
    QTableWidget* figures_;
    TrackProfileWidget* graph_;
    QLabel* readout_;
    QTimer follow_;
};

}  // namespace mw
