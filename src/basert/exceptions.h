// The framework's exception hierarchy: every error raised by the system derives from Exception.
#pragma once

#include "basert/types.h"

#include <exception>

namespace fw {

/// Raised (as EListError and its kin) for an index outside a list.
inline constexpr std::string_view sListIndexError = "List index out of bounds (%d)";

/// Base of every exception the system raises; carries the message text.
class Exception : public std::exception {
public:
  explicit Exception(String message) : FMessage(std::move(message)) {}
  explicit Exception(std::string_view message) : FMessage(message) {}
  explicit Exception(const char* message) : FMessage(message) {}
  const String& Message() const noexcept { return FMessage; }
  void SetMessage(String message) { FMessage = std::move(message); }
  const char* what() const noexcept override { return FMessage.c_str(); }

private:
  String FMessage;
};

// Each class only names a kind of failure; the message says what happened.
class EAbort : public Exception {
  using Exception::Exception;
};
class EConvertError : public Exception {
  using Exception::Exception;
};
class EInvalidCast : public Exception {
  using Exception::Exception;
};
class EInvalidOperation : public Exception {
  using Exception::Exception;
};
class EInvalidPointer : public Exception {
  using Exception::Exception;
};
class EArgumentException : public Exception {
  using Exception::Exception;
};
class EArgumentOutOfRangeException : public EArgumentException {
  using EArgumentException::EArgumentException;
};
class ERangeError : public Exception {
  using Exception::Exception;
};
class EIntOverflow : public Exception {
  using Exception::Exception;
};
class EOSError : public Exception {
  using Exception::Exception;
};
class EListError : public Exception {
  using Exception::Exception;
};
class EStringListError : public Exception {
  using Exception::Exception;
};
class EMaskException : public Exception {
  using Exception::Exception;
};
class EThread : public Exception {
  using Exception::Exception;
};
class EVariantError : public Exception {
  using Exception::Exception;
};
class EVariantTypeCastError : public EVariantError {
  using EVariantError::EVariantError;
};
class EVariantOverflowError : public EVariantError {
  using EVariantError::EVariantError;
};
class EPropertyError : public Exception {
  using Exception::Exception;
};
class EPropReadOnly : public EPropertyError {
  using EPropertyError::EPropertyError;
};
class EPropWriteOnly : public EPropertyError {
  using EPropertyError::EPropertyError;
};
class EComponentError : public Exception {
  using Exception::Exception;
};
class EStreamError : public Exception {
  using Exception::Exception;
};
class EFileStreamError : public EStreamError {
  using EStreamError::EStreamError;
};
class EFCreateError : public EFileStreamError {
  using EFileStreamError::EFileStreamError;
};
class EFOpenError : public EFileStreamError {
  using EFileStreamError::EFileStreamError;
};
class EFilerError : public EStreamError {
  using EStreamError::EStreamError;
};
class EReadError : public EFilerError {
  using EFilerError::EFilerError;
};
class EWriteError : public EFilerError {
  using EFilerError::EFilerError;
};
class EClassNotFound : public EFilerError {
  using EFilerError::EFilerError;
};
class EMethodNotFound : public EFilerError {
  using EFilerError::EFilerError;
};
class EInvalidImage : public EFilerError {
  using EFilerError::EFilerError;
};
class EParserError : public Exception {
  using Exception::Exception;
};
class EIniFileException : public Exception {
  using Exception::Exception;
};
class EOutOfResources : public Exception {
  using Exception::Exception;
};

} // namespace fw
