#pragma once
// The scanner contract: a scanner takes one line at a time, splits it into
// consecutive tokens and reports each token's text, position, kind and
// attribute, carrying an opaque range state from one line to the next.
//
// Callers drive it as: ClearRange (or RestoreRange with the state stored for
// the line above); StartLine; then, while LineDone is false, read the token and
// call NextToken. RangeState, taken when LineDone is true, resumes the next line.

#include <bitset>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "scan/method_chain.h"
#include "scan/token_attributes.h"

namespace varnel {

using TCharSet = std::bitset<256>;

// Role indexes for RoleAttribute.
inline constexpr int RoleComment = 0;
inline constexpr int RoleIdentifier = 1;
inline constexpr int RoleKeyword = 2;
inline constexpr int RoleWhitespace = 4;
inline constexpr int RoleSymbol = 5;

class TCustomScanner;

// A scanner kind: its class name, the kind it derives from, and how to make one.
struct TScannerClass {
  const char* Name;
  const TScannerClass* Parent;
  std::unique_ptr<TCustomScanner> (*Create)();

  bool InheritsFrom(const TScannerClass* other) const;
};

class TCustomScanner : public TPersistent {
 public:
  TCustomScanner();
  ~TCustomScanner() override;

  static const TScannerClass& StaticClass();
  virtual const TScannerClass& ClassType() const { return StaticClass(); }
  std::string_view ClassName() const override { return ClassType().Name; }

  // Attribute list, in ascending order of Name.
  virtual int AttributeCount() const;
  // None when the index is outside the list.
  virtual TTokenAttributes* AttributeAt(int index) const;
  virtual TTokenAttributes* RoleAttribute(int role) const = 0;
  virtual std::string DefaultFilterValue() const { return defaultFilter_; }
  virtual TCharSet IdentifierCharSet() const;
  virtual std::string SampleText() const { return {}; }
  virtual bool DefaultFilterStored() const { return true; }
  virtual void ChangeDefaultFilter(const std::string& filter) { defaultFilter_ = filter; }
  virtual void ChangeSampleText(const std::string&) {}
  virtual void ChangeWordBreakCharSet(const TCharSet& set) { wordBreakCharSet_ = set; }
  virtual std::uint32_t FeatureFlags() const { return 2; }
  virtual std::string LanguageTitle() const { return "<Unknown>"; }
  virtual bool LineDone() const = 0;
  virtual std::intptr_t RangeState() const { return 0; }
  // A fresh copy of the current token's characters.
  virtual std::string TokenText() const { return std::string(TokenView()); }
  // The current token's characters in the caller's line, without a copy; valid
  // while the line is.
  virtual std::string_view TokenView() const = 0;
  virtual TTokenAttributes* TokenAttribute() const = 0;
  virtual int TokenKind() const = 0;
  virtual int TokenStart() const = 0;
  virtual bool IsReservedWord(std::string_view) const { return false; }
  virtual void NextToken() = 0;
  // Makes `line` current and reads its first token. The scanner may keep a view
  // of the text: the caller keeps it alive and unchanged until the next StartLine.
  virtual void StartLine(std::string_view line, int lineNumber) = 0;
  virtual void RestoreRange(std::intptr_t) {}
  virtual void ClearRange() {}
  virtual bool ApplyUserSetting(int) { return false; }
  virtual void ListUserSettings(std::vector<std::string>& settings) const { settings.clear(); }

  // Copies attributes (matched by exact name), sample text, word-break set,
  // default filter and Enabled from another scanner.
  void CopyFrom(const TPersistent* source) override;

  // Adds the attribute under its name and takes ownership. A name equal to a
  // registered one, letter case ignored, fails with "String list does not allow
  // duplicates" and leaves the list as it was (the attribute is destroyed).
  void RegisterAttribute(std::unique_ptr<TTokenAttributes> attribute);
  // Routes every attribute's changes to HandleAttributeChange and records the
  // present values as the initial ones.
  void BindAttributeChanges();
  void HandleAttributeChange(TPersistent* sender);
  void SubscribeToChanges(TNotifyEvent subscriber);
  void UnsubscribeFromChanges(TNotifyEvent subscriber);
  void SkipToLineEnd();
  void ReleaseAttributes();

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);

  const TCharSet& WordBreakCharSet() const { return wordBreakCharSet_; }
  const TNotifyEventChain& ChangeSubscribers() const { return changeSubscribers_; }

  // Loading from stored settings: changes made meanwhile notify nobody;
  // AfterLoading ends the state and notifies once with no sender.
  void BeginLoading() { loading_ = true; }
  bool Loading() const { return loading_; }
  void AfterLoading();

 private:
  struct Entry {
    std::string key;  // the name lower-cased, for ordering
    std::unique_ptr<TTokenAttributes> attribute;
  };
  std::vector<Entry> attributeList_;
  TNotifyEventChain changeSubscribers_;
  bool enabled_ = true;
  bool loading_ = false;
  TCharSet wordBreakCharSet_;
  std::string defaultFilter_;
};

// The kinds of scanner the program knows.
class TScannerList {
 public:
  // Adds a kind unless it is there already.
  void Add(const TScannerClass& kind);
  int Count() const { return static_cast<int>(kinds_.size()); }
  const TScannerClass* At(int index) const;

 private:
  std::vector<const TScannerClass*> kinds_;
};

TScannerList& ScannerRegistry();

}  // namespace varnel
