#include "scan/scanner_base.h"

#include <algorithm>

#include "platform/errors.h"

namespace varnel {
namespace {

// Names order letter by letter ignoring case, a blank before any letter and a
// name before every longer name it begins; comparing the ASCII-lower-cased
// bytes does exactly that.
std::string SortKey(std::string_view name) {
  std::string key(name);
  for (char& c : key) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
  }
  return key;
}

bool KeyLess(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
  });
}

TCharSet DefaultWordBreakCharSet() {
  TCharSet set;
  for (char c : std::string_view("!\"'()*+,-./:;=?[\\]^{|}")) set.set(static_cast<unsigned char>(c));
  return set;
}

void AttributeChanged(void* context, TPersistent* sender) {
  static_cast<TCustomScanner*>(context)->HandleAttributeChange(sender);
}

}  // namespace

bool TScannerClass::InheritsFrom(const TScannerClass* other) const {
  for (const TScannerClass* kind = this; kind; kind = kind->Parent) {
    if (kind == other) return true;
  }
  return false;
}

const TScannerClass& TCustomScanner::StaticClass() {
  static const TScannerClass kind{"TCustomScanner", nullptr, nullptr};
  return kind;
}

TCustomScanner::TCustomScanner()
    : changeSubscribers_(this), wordBreakCharSet_(DefaultWordBreakCharSet()) {}

TCustomScanner::~TCustomScanner() { ReleaseAttributes(); }

int TCustomScanner::AttributeCount() const { return static_cast<int>(attributeList_.size()); }

TTokenAttributes* TCustomScanner::AttributeAt(int index) const {
  if (index < 0 || index >= AttributeCount()) return nullptr;
  return attributeList_[static_cast<size_t>(index)].attribute.get();
}

TCharSet TCustomScanner::IdentifierCharSet() const {
  TCharSet set;
  for (size_t c = 33; c < 256; ++c) set.set(c);
  return set;
}

void TCustomScanner::CopyFrom(const TPersistent* source) {
  const auto* scanner = dynamic_cast<const TCustomScanner*>(source);
  if (!scanner) {
    TPersistent::CopyFrom(source);
    return;
  }
  for (int i = 0; i < AttributeCount(); ++i) {
    TTokenAttributes* mine = AttributeAt(i);
    for (int j = 0; j < scanner->AttributeCount(); ++j) {
      TTokenAttributes* theirs = scanner->AttributeAt(j);
      if (theirs->Name() == mine->Name()) {
        mine->CopyFrom(theirs);
        break;
      }
    }
  }
  if (scanner->ClassType().InheritsFrom(&ClassType())) ChangeSampleText(scanner->SampleText());
  wordBreakCharSet_ = scanner->wordBreakCharSet_;
  ChangeDefaultFilter(scanner->DefaultFilterValue());
  SetEnabled(scanner->Enabled());
}

void TCustomScanner::RegisterAttribute(std::unique_ptr<TTokenAttributes> attribute) {
  std::string key = SortKey(attribute->Name());
  auto place = std::lower_bound(attributeList_.begin(), attributeList_.end(), key,
                                [](const Entry& entry, const std::string& k) { return KeyLess(entry.key, k); });
  if (place != attributeList_.end() && place->key == key) {
    throw EStringListError("String list does not allow duplicates");
  }
  attributeList_.insert(place, Entry{std::move(key), std::move(attribute)});
}

void TCustomScanner::BindAttributeChanges() {
  for (int i = AttributeCount() - 1; i >= 0; --i) {
    TTokenAttributes* attribute = AttributeAt(i);
    attribute->SetChangeHandler(TNotifyEvent{&AttributeChanged, this});
    attribute->RecordInitialValues();
  }
}

void TCustomScanner::HandleAttributeChange(TPersistent* sender) {
  if (loading_) return;
  changeSubscribers_.SetCurrentSender(sender);
  changeSubscribers_.NotifyAll();
}

void TCustomScanner::SubscribeToChanges(TNotifyEvent subscriber) { changeSubscribers_.AddEntry(subscriber); }

void TCustomScanner::UnsubscribeFromChanges(TNotifyEvent subscriber) {
  changeSubscribers_.RemoveEntry(subscriber);
}

void TCustomScanner::SkipToLineEnd() {
  while (!LineDone()) NextToken();
}

void TCustomScanner::ReleaseAttributes() {
  while (!attributeList_.empty()) attributeList_.pop_back();
}

void TCustomScanner::SetEnabled(bool value) {
  if (enabled_ == value) return;
  enabled_ = value;
  HandleAttributeChange(nullptr);
}

void TCustomScanner::AfterLoading() {
  loading_ = false;
  HandleAttributeChange(nullptr);
}

void TScannerList::Add(const TScannerClass& kind) {
  if (std::find(kinds_.begin(), kinds_.end(), &kind) == kinds_.end()) kinds_.push_back(&kind);
}

const TScannerClass* TScannerList::At(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return kinds_[static_cast<size_t>(index)];
}

TScannerList& ScannerRegistry() {
  static TScannerList registry;
  return registry;
}

}  // namespace varnel
