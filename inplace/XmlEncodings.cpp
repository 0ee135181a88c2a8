#include "inplace/XmlEncodings.h"

#include <cctype>
#include <string>

#include "textio/Cp1250.h"

namespace {

// ISO-8859-2 from 0xA0; below it, as ISO-8859-1.
constexpr int kIso88592High[96] = {
    0x00A0, 0x0104, 0x02D8, 0x0141, 0x00A4, 0x013D, 0x015A, 0x00A7, 0x00A8, 0x0160, 0x015E, 0x0164,
    0x0179, 0x00AD, 0x017D, 0x017B, 0x00B0, 0x0105, 0x02DB, 0x0142, 0x00B4, 0x013E, 0x015B, 0x02C7,
    0x00B8, 0x0161, 0x015F, 0x0165, 0x017A, 0x02DD, 0x017E, 0x017C, 0x0154, 0x00C1, 0x00C2, 0x0102,
    0x00C4, 0x0139, 0x0106, 0x00C7, 0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA, 0x0170,
    0x00DC, 0x00DD, 0x0162, 0x00DF, 0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3,
    0x00F4, 0x0151, 0x00F6, 0x00F7, 0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

std::string Lower(const XML_Char* name) {
  std::string lower;
  for (const XML_Char* c = name; *c; ++c)
    lower += static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
  return lower;
}

// The code point of a Windows-1250 byte, -1 for the five it leaves undefined.
int Cp1250CodePoint(int byte) {
  if (byte < 0x80) return byte;
  const std::string utf8 = textio::Cp1250ToUtf8(std::string(1, static_cast<char>(byte)));
  const auto* u = reinterpret_cast<const unsigned char*>(utf8.data());
  if (utf8.size() == 2) return ((u[0] & 0x1F) << 6) | (u[1] & 0x3F);
  if (utf8.size() == 3) return ((u[0] & 0x0F) << 12) | ((u[1] & 0x3F) << 6) | (u[2] & 0x3F);
  return -1;
}

}  // namespace

int PolishEncodingHandler(void*, const XML_Char* name, XML_Encoding* info) {
  const std::string encoding = Lower(name);
  const bool cp1250 = encoding == "windows-1250" || encoding == "cp1250";
  const bool iso = encoding == "iso-8859-2" || encoding == "iso8859-2" || encoding == "latin2";
  if (!cp1250 && !iso) return XML_STATUS_ERROR;
  for (int byte = 0; byte < 256; ++byte) {
    info->map[byte] = cp1250        ? Cp1250CodePoint(byte)
                      : byte < 0xA0 ? byte
                                    : kIso88592High[byte - 0xA0];
  }
  info->data = nullptr;
  info->convert = nullptr;
  info->release = nullptr;
  return XML_STATUS_OK;
}
