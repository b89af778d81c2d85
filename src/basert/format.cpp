#include "basert/format.h"

#include "basert/exceptions.h"
#include "basert/sysutils.h"
#include "basert/variants.h"

#include <charconv>
#include <limits>

namespace fw {

const TFormatSettings& DefaultFormatSettings() noexcept {
  static const TFormatSettings settings;
  return settings;
}

TFormatSettings FormatSettings;

namespace {

// Wider fields are refused so that a hostile format string cannot ask for gigabytes.
constexpr int kMaxFormatWidth = 65536;
constexpr int kNoPrecision = -1;

/// UTF-8 code points in `s` (continuation bytes are not counted).
std::size_t CharCount(std::string_view s) {
  std::size_t n = 0;
  for (char c : s)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
  return n;
}

/// The first `count` code points of `s`.
std::string_view CharPrefix(std::string_view s, std::size_t count) {
  std::size_t seen = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
      if (seen == count) return s.substr(0, i);
      ++seen;
    }
  }
  return s;
}

class TFormatter {
public:
  TFormatter(std::string_view fmt, std::span<const TVarRec> args, const TFormatSettings& fs)
      : FFmt(fmt), FArgs(args), FSettings(fs) {}

  String Run() {
    FOut.reserve(FFmt.size() + 16 * FArgs.size());
    const std::size_t n = FFmt.size();
    std::size_t i = 0;
    while (i < n) {
      const std::size_t pct = FFmt.find('%', i);
      if (pct == std::string_view::npos) {
        FOut.append(FFmt.substr(i));
        break;
      }
      FOut.append(FFmt.substr(i, pct - i));
      i = pct + 1;
      if (i < n && FFmt[i] == '%') {
        FOut.push_back('%');
        ++i;
        continue;
      }
      Directive(i);
    }
    return std::move(FOut);
  }

private:
  std::string_view FFmt;
  std::span<const TVarRec> FArgs;
  const TFormatSettings& FSettings;
  std::size_t FArgIndex = 0;
  String FOut;

  [[noreturn]] void Fail() const { throw EConvertError(Format(sInvalidFormat, {FFmt})); }

  const TVarRec& NextArg() {
    if (FArgIndex >= FArgs.size()) Fail();
    return FArgs[FArgIndex++];
  }

  static bool IntegerOf(const TVarRec& a, Int64& v, bool& wide) {
    switch (a.VType) {
    case vtInteger:
      v = a.VInteger;
      wide = false;
      return true;
    case vtInt64:
      v = a.VInt64;
      wide = true;
      return true;
    case vtVariant:
      if (!IsIntegerVariant(*a.VVariant)) return false;
      v = a.VVariant->AsInt64();
      wide = a.VVariant->VarType() == varInt64;
      return true;
    default:
      return false;
    }
  }

  static bool IsIntegerVariant(const Variant& v) {
    constexpr TVarType kIntegerTypes[] = {varShortInt, varByte,     varSmallint, varWord,
                                          varInteger,  varLongWord, varInt64};
    for (TVarType t : kIntegerTypes)
      if (v.VarType() == t) return true;
    return false;
  }

  /// A number of the directive: digits, or `*` taking an integer argument.
  bool ReadNumber(std::size_t& i, int& value) {
    if (i < FFmt.size() && FFmt[i] == '*') {
      ++i;
      Int64 v;
      bool wide;
      if (!IntegerOf(NextArg(), v, wide) || v > kMaxFormatWidth || v < -kMaxFormatWidth) Fail();
      value = static_cast<int>(v);
      return true;
    }
    if (i >= FFmt.size() || FFmt[i] < '0' || FFmt[i] > '9') return false;
    Int64 v = 0;
    for (; i < FFmt.size() && FFmt[i] >= '0' && FFmt[i] <= '9'; ++i) {
      v = v * 10 + (FFmt[i] - '0');
      if (v > kMaxFormatWidth) Fail();
    }
    value = static_cast<int>(v);
    return true;
  }

  void Directive(std::size_t& i) {
    int number = 0;
    bool have = ReadNumber(i, number);
    if (have && i < FFmt.size() && FFmt[i] == ':') {
      if (number < 0 || static_cast<std::size_t>(number) >= FArgs.size()) Fail();
      FArgIndex = static_cast<std::size_t>(number);
      ++i;
      have = false;
    }
    bool left = false;
    int width = 0;
    if (have) {
      width = number;
    } else {
      if (i < FFmt.size() && FFmt[i] == '-') {
        left = true;
        ++i;
      }
      ReadNumber(i, width);
    }
    if (width < 0) {
      left = true;
      width = -width;
    }
    int precision = kNoPrecision;
    if (i < FFmt.size() && FFmt[i] == '.') {
      ++i;
      precision = 0;
      ReadNumber(i, precision);
      if (precision < 0) precision = kNoPrecision;
    }
    if (i >= FFmt.size()) Fail();
    const char type = static_cast<char>(FFmt[i] | 0x20);
    ++i;
    String text = Convert(type, precision, NextArg());
    const std::size_t len = type == 's' ? CharCount(text) : text.size();
    const std::size_t pad = static_cast<std::size_t>(width) > len ? width - len : 0;
    if (!left) FOut.append(pad, ' ');
    FOut.append(text);
    if (left) FOut.append(pad, ' ');
  }

  String Convert(char type, int precision, const TVarRec& a) {
    switch (type) {
    case 'd':
    case 'u':
    case 'x':
      return ConvertInteger(type, precision, a);
    case 'e':
    case 'f':
    case 'g':
    case 'n':
    case 'm':
      return ConvertFloat(type, precision, a);
    case 'p':
      return ConvertPointer(a);
    case 's':
      return ConvertString(precision, a);
    default:
      Fail();
    }
  }

  String ConvertInteger(char type, int precision, const TVarRec& a) {
    Int64 v;
    bool wide;
    if (!IntegerOf(a, v, wide)) Fail();
    String digits;
    bool negative = false;
    if (type == 'x') {
      digits = wide ? IntToHex(static_cast<UInt64>(v), 0) : IntToHex(static_cast<Cardinal>(v), 0);
    } else if (type == 'u') {
      digits = wide ? UIntToStr(static_cast<UInt64>(v)) : UIntToStr(static_cast<Cardinal>(v));
    } else {
      negative = v < 0;
      digits = UIntToStr(negative ? UInt64{0} - static_cast<UInt64>(v) : static_cast<UInt64>(v));
    }
    if (precision > static_cast<int>(digits.size()))
      digits.insert(0, static_cast<std::size_t>(precision) - digits.size(), '0');
    if (negative) digits.insert(0, 1, '-');
    return digits;
  }

  String ConvertFloat(char type, int precision, const TVarRec& arg) {
    TVarRec a = arg;
    if (a.VType == vtVariant) {
      const Variant& v = *arg.VVariant;
      if (!VarIsNumeric(v)) Fail();
      if (v.VarType() == varCurrency)
        a = TVarRec(v.AsCurrency());
      else
        a = TVarRec(v.AsDouble());
    }
    if (a.VType != vtExtended && a.VType != vtCurrency) Fail();
    const bool exact = a.VType == vtCurrency && type != 'e' && type != 'g';
    const Extended v = a.VType == vtCurrency ? a.VCurrency.ToExtended() : a.VExtended;
    switch (type) {
    case 'e':
      return FloatToStrF(v, ffExponent, precision < 0 ? 15 : precision, 3, FSettings);
    case 'g':
      return FloatToStrF(v, ffGeneral, precision < 0 ? 15 : precision, 0, FSettings);
    default:
      break;
    }
    const TFloatFormat ff = type == 'f' ? ffFixed : type == 'n' ? ffNumber : ffCurrency;
    const int digits = precision >= 0 ? precision : (type == 'm' ? FSettings.CurrencyDecimals : 2);
    return exact ? CurrToStrF(a.VCurrency, ff, digits, FSettings)
                 : FloatToStrF(v, ff, 18, digits, FSettings);
  }

  String ConvertPointer(const TVarRec& a) {
    const void* p;
    switch (a.VType) {
    case vtPointer:
      p = a.VPointer;
      break;
    case vtPChar:
      p = a.VPChar;
      break;
    case vtPWideChar:
      p = a.VPWideChar;
      break;
    case vtObject:
      p = a.VObject;
      break;
    case vtClass:
      p = a.VClass;
      break;
    case vtInterface:
      p = a.VInterface;
      break;
    default:
      Fail();
    }
    return IntToHex(reinterpret_cast<std::uintptr_t>(p), static_cast<int>(sizeof(void*) * 2));
  }

  String ConvertString(int precision, const TVarRec& a) {
    String s;
    switch (a.VType) {
    case vtString:
    case vtAnsiString:
    case vtUnicodeString:
      s.assign(a.VText);
      break;
    case vtChar:
      s.assign(1, a.VChar);
      break;
    case vtWideChar:
      s = WideToUtf8(std::u16string_view(&a.VWideChar, 1));
      break;
    case vtPChar:
      if (a.VPChar) s.assign(a.VPChar);
      break;
    case vtPWideChar:
      if (a.VPWideChar) s = WideToUtf8(a.VPWideChar);
      break;
    case vtWideString:
      s = WideToUtf8(*a.VWideString);
      break;
    case vtVariant:
      try {
        s = VarToStr(*a.VVariant);
      } catch (const EVariantError&) {
        Fail();
      }
      break;
    default:
      Fail();
    }
    if (precision >= 0) s.resize(CharPrefix(s, static_cast<std::size_t>(precision)).size());
    return s;
  }
};

} // namespace

String Format(std::string_view fmt, std::span<const TVarRec> args,
              const TFormatSettings& settings) {
  return TFormatter(fmt, args, settings).Run();
}

String Format(std::string_view fmt, std::span<const TVarRec> args) {
  return TFormatter(fmt, args, FormatSettings).Run();
}

String Format(std::string_view fmt, std::initializer_list<TVarRec> args,
              const TFormatSettings& settings) {
  return TFormatter(fmt, std::span<const TVarRec>(args.begin(), args.size()), settings).Run();
}

String Format(std::string_view fmt, std::initializer_list<TVarRec> args) {
  return Format(fmt, args, FormatSettings);
}

} // namespace fw
