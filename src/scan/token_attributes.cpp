#include "scan/token_attributes.h"

namespace varnel {

TTokenAttributes::TTokenAttributes(std::string name) : name_(std::move(name)) {}

void TTokenAttributes::SetBackground(TColor value) {
  if (background_ == value) return;
  background_ = value;
  NotifyChanged();
}

void TTokenAttributes::SetForeground(TColor value) {
  if (foreground_ == value) return;
  foreground_ = value;
  NotifyChanged();
}

void TTokenAttributes::SetStyle(TFontStyles value) {
  if (style_ == value) return;
  style_ = value;
  NotifyChanged();
}

void TTokenAttributes::CopyFrom(const TPersistent* source) {
  const auto* attributes = dynamic_cast<const TTokenAttributes*>(source);
  if (!attributes) {
    TPersistent::CopyFrom(source);
    return;
  }
  name_ = attributes->name_;
  CopyColoursAndStyle(*attributes);
}

void TTokenAttributes::CopyColoursAndStyle(const TTokenAttributes& source) {
  bool changed = false;
  if (background_ != source.background_) {
    background_ = source.background_;
    changed = true;
  }
  if (foreground_ != source.foreground_) {
    foreground_ = source.foreground_;
    changed = true;
  }
  if (style_ != source.style_) {
    style_ = source.style_;
    changed = true;
  }
  if (changed) NotifyChanged();
}

void TTokenAttributes::RecordInitialValues() {
  initialForeground_ = foreground_;
  initialBackground_ = background_;
  initialStyle_ = style_;
}

void TTokenAttributes::NotifyChanged() {
  if (changeHandler_) changeHandler_(this);
}

}  // namespace varnel
