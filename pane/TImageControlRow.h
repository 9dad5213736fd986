#pragma once
// TImageControlRow: the controls of one camera image control in the pane's
// settings area: the control's name, a slider for its value and a check box
// for its mode (ticked: set by hand; unticked: automatic). The row for index i
// (0 "Brightness" ... 9 "Gain") lies 26 pixels below the one for i - 1.
//
// The row only shows readings; writing to the device is the pane's business
// (it connects the slider's and the box's user actions, identified by their
// "tag" property, to its handlers).
//
// Threads: user-interface thread.

#include <QCheckBox>
#include <QLabel>
#include <QSlider>

#include <cstdint>

namespace kamsel::pane {

class AnchorPanel;

class TImageControlRow {
  public:
    // Places of the row for index i on its panel.
    static constexpr int kLabelLeft = 8;
    static constexpr int kSliderLeft = 100;
    static constexpr int kSliderWidth = 218;
    static constexpr int kSliderHeight = 25;
    static int LabelTop(int index) { return 112 + 26 * index; }

    // What the facade reported for the control.
    struct Reading {
        std::int32_t status = 1; // negative: failed; 0: read; positive: nothing to read
        std::int32_t min = -1;
        std::int32_t max = -1;
        std::int32_t step = 0;
        std::int32_t value = 0;
        bool manual = true;
    };

    // Creates the label, the slider and the check box, in that order, on
    // panel: the label enabled, the slider and the box disabled until a
    // reading fills them. The slider stretches with the panel's width, the
    // box stays at its right edge.
    void Create(AnchorPanel& panel, int index);
    bool Created() const { return NameLabel != nullptr; }

    // Shows a reading without writing anything back (no change signals):
    // - read (status 0): everything enabled; the slider takes range, tick
    //   step and value, the box is ticked exactly when manual;
    // - failed (negative), or nothing read (positive, a device without image
    //   controls, which reports the range -1 ... -1): the whole row disabled,
    //   as its slider and box would only offer an earlier camera's values.
    void Show(const Reading& reading);

    // The controls belong to the panel.
    QLabel* NameLabel = nullptr;
    QSlider* TrackBar = nullptr;
    QCheckBox* CheckBox = nullptr;
};

} // namespace kamsel::pane
