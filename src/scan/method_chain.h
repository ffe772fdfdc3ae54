#pragma once
// Subscriber lists for change notification.

#include <exception>
#include <vector>

#include "scan/persistent.h"

namespace varnel {

class TMethodChain {
 public:
  TMethodChain() = default;
  virtual ~TMethodChain() = default;
  TMethodChain(const TMethodChain&) = delete;
  TMethodChain& operator=(const TMethodChain&) = delete;

  // Appends the pair; the same pair may stand in the list more than once.
  void AddEntry(TNotifyEvent entry);
  // Removes every equal pair, scanning from the end of the list.
  void RemoveEntry(TNotifyEvent entry);
  // Calls every entry in list order. The count is read again before each call,
  // so entries may subscribe or unsubscribe during a notification. An error
  // raised by an entry goes to HandleEntryError; without an error handler it
  // leaves NotifyAll and the remaining entries are not called.
  void NotifyAll();

  size_t EntryCount() const { return entries_.size(); }

  // Called with each error an entry raises; the chain goes on after it returns.
  using TErrorHandler = void (*)(void* context, std::exception_ptr error);
  void SetErrorHandler(TErrorHandler handler, void* context);

 protected:
  virtual void CallEntry(const TNotifyEvent& entry) = 0;
  virtual void HandleEntryError(std::exception_ptr error);

 private:
  std::vector<TNotifyEvent> entries_;
  TErrorHandler errorHandler_ = nullptr;
  void* errorContext_ = nullptr;
};

class TNotifyEventChain final : public TMethodChain {
 public:
  explicit TNotifyEventChain(TPersistent* sender) : currentSender_(sender) {}

  TPersistent* CurrentSender() const { return currentSender_; }
  void SetCurrentSender(TPersistent* sender) { currentSender_ = sender; }

 protected:
  void CallEntry(const TNotifyEvent& entry) override { entry(currentSender_); }

 private:
  TPersistent* currentSender_;
};

}  // namespace varnel
