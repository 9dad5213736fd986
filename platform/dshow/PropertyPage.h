#pragma once
// One page of a property frame. User-interface thread.

#include "ComApi.h"

#include <QWidget>

namespace kamsel::dshow {

class PropertyPage : public QWidget {
  public:
    using QWidget::QWidget;
    // Applies what the user chose on the page and not yet applied.
    virtual HRESULT Apply() = 0;
};

} // namespace kamsel::dshow
