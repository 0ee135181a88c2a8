// The single-byte encodings of Polish files that the XML parser does not know by itself,
// for its unknown-encoding handler: Windows-1250 and ISO-8859-2, declared in any case of
// letters. Every other encoding is the parser's own (UTF-8, UTF-16, ISO-8859-1, US-ASCII).
#pragma once

#include <expat.h>

// Fills `info` for `name` and returns XML_STATUS_OK, or XML_STATUS_ERROR for an encoding
// that is none of the two; the signature of XML_SetUnknownEncodingHandler.
int PolishEncodingHandler(void* data, const XML_Char* name, XML_Encoding* info);
