#include "scan/method_chain.h"

namespace varnel {

void TMethodChain::AddEntry(TNotifyEvent entry) { entries_.push_back(entry); }

void TMethodChain::RemoveEntry(TNotifyEvent entry) {
  for (size_t i = entries_.size(); i-- > 0;) {
    if (entries_[i] == entry) entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
  }
}

void TMethodChain::NotifyAll() {
  for (size_t index = 0; index < entries_.size();) {
    const TNotifyEvent entry = entries_[index++];
    try {
      CallEntry(entry);
    } catch (...) {
      HandleEntryError(std::current_exception());
    }
  }
}

void TMethodChain::SetErrorHandler(TErrorHandler handler, void* context) {
  errorHandler_ = handler;
  errorContext_ = context;
}

void TMethodChain::HandleEntryError(std::exception_ptr error) {
  if (!errorHandler_) std::rethrow_exception(error);
  errorHandler_(errorContext_, error);
}

}  // namespace varnel
