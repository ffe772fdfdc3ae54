#pragma once
// A named display style that a scanner gives to one kind of token.

#include <string>

#include "platform/colors.h"
#include "scan/persistent.h"

namespace varnel {

class TTokenAttributes final : public TPersistent {
 public:
  // Colours start as clNone, the style empty, with no change handler.
  explicit TTokenAttributes(std::string name);

  std::string_view ClassName() const override { return "TTokenAttributes"; }

  const std::string& Name() const { return name_; }
  TColor Background() const { return background_; }
  TColor Foreground() const { return foreground_; }
  TFontStyles Style() const { return style_; }
  TColor InitialBackground() const { return initialBackground_; }
  TColor InitialForeground() const { return initialForeground_; }
  TFontStyles InitialStyle() const { return initialStyle_; }

  // Each setter stores and notifies only when the value really changes.
  void SetBackground(TColor value);
  void SetForeground(TColor value);
  void SetStyle(TFontStyles value);

  // Stored tests: true when the value differs from the recorded initial one.
  bool BackgroundStored() const { return background_ != initialBackground_; }
  bool ForegroundStored() const { return foreground_ != initialForeground_; }
  bool StyleStored() const { return style_ != initialStyle_; }

  const TNotifyEvent& ChangeHandler() const { return changeHandler_; }
  void SetChangeHandler(TNotifyEvent handler) { changeHandler_ = handler; }

  // Another attribute: its name, then its colours and style. Any other source
  // fails as the root's copy does.
  void CopyFrom(const TPersistent* source) override;
  // Copies the colours and style that differ; notifies once if any did.
  void CopyColoursAndStyle(const TTokenAttributes& source);
  void RecordInitialValues();
  // Calls the change handler, if one is set, with this attribute as sender.
  void NotifyChanged();

 private:
  TColor background_ = clNone;
  TColor initialBackground_ = 0;
  TColor foreground_ = clNone;
  TColor initialForeground_ = 0;
  std::string name_;
  TFontStyles style_ = 0;
  TFontStyles initialStyle_ = 0;
  TNotifyEvent changeHandler_;
};

}  // namespace varnel
