#pragma once
// The HTML document writer: gives the export engine's output the form of an
// XHTML 1.0 Strict page. The head carries a style sheet with one rule per
// scanner attribute; the body is one <pre><code> block in which every run is a
// span whose class is that of the attribute of the run's first token.
//
// What the buffer holds after an export:
//
//   AsPlainText  CreateHTMLFragment  output
//   on           off                 head, <pre><code><span style=font>, body, closings, tail
//   on           on                  <pre><code><span style=font>, body, closings
//   off          either              "Version:0.9" description, head, fragment markers around
//                                    <pre><code>body</code></pre>, tail

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "export/exporter.h"

namespace varnel {

class TExporterHTML final : public TCustomExporter {
 public:
  TExporterHTML();

  // Called once per attribute during a walk with the scanner, the attribute and
  // its generated name ("HTML1.Reserved Word"); answers true to go on.
  using TAttributeVisitor =
      std::function<bool(TCustomScanner& scanner, TTokenAttributes& attribute, const std::string& name)>;

  // Visits the scanner's attributes in list order. A writer's highlighter is one
  // scanner, so the list of scanners visited holds that one and every
  // occurrence number is 1; skipRepeats matters only to a scanner met twice.
  static void WalkAttributes(TCustomScanner* scanner, bool skipRepeats, const TAttributeVisitor& visit);
  // The class name without a leading T or t and without a trailing "scanner",
  // letter case ignored: "THTMLScanner" gives "HTML".
  static std::string ScannerPrefix(std::string_view className);
  // The generated name lower-cased, "." and "_" turned into "-", and everything
  // but "-", digits and a-z removed: "HTML1.Reserved Word" gives "html1-reservedword".
  static std::string StyleClassName(std::string_view generatedName);
  // "#RRGGBB" of the colour converted to RGB; clNone reads #FFFFFF.
  static std::string HexColor(TColor color);

  // ".class { background-color; color; weight; style; decorations }"; the
  // background only with UseBackground on.
  std::string StyleRule(const TTokenAttributes& attribute, std::string_view generatedName) const;
  // The class of CurrentAttribute among the Highlighter's attributes; empty
  // when it is none of them.
  std::string ClassOfAttribute() const;

  TTokenAttributes* CurrentAttribute() const { return TakenAttribute(); }

  bool CreateHTMLFragment() const { return createHTMLFragment_; }
  void SetCreateHTMLFragment(bool value) { createHTMLFragment_ = value; }

  // The same scanner changes nothing; another one empties the buffer. Then, with
  // UseBackground on, Color takes the white-space attribute's background as it
  // stands (clNone included).
  void SetHighlighter(TCustomScanner* scanner) override;
  // Stores the flag and applies the same Color rule; switching it off leaves
  // Color as it is.
  void SetUseBackground(bool value) override;
  // An empty title stands for "Untitled".
  void SetTitle(const std::string& value) override;

 protected:
  void CloseRun(bool backgroundChanged, bool foregroundChanged, TFontStyles stylesRemoved) override;
  void OpenRun(bool backgroundChanged, bool foregroundChanged, TFontStyles stylesAdded) override;
  void CloseLastRun() override;
  void OpenFirstRun(bool backgroundDiffers, bool foregroundDiffers, TFontStyles style) override;
  void EmitLineBreak() override;
  std::string FooterText() override;
  std::string FormatDescription() const override;
  std::string HeaderText() override;
  void ExportStarting() override;
  const TFixedMarkup* FixedMarkup() const override;
  std::string RunOpening(const TTokenAttributes* attribute) const override;

 private:
  void TakeWhitespaceBackground();
  std::string DocumentHead() const;
  std::string PlainCodeOpening() const;
  void OpenSpan();

  bool createHTMLFragment_ = false;
  // Class names of the Highlighter's attributes, built when an export starts so
  // that opening a run costs a lookup rather than a walk.
  std::vector<std::pair<const TTokenAttributes*, std::string>> runClasses_;
};

}  // namespace varnel
