// What tells one fit from another, written into the optional outputs made from it (a
// GeoPackage's metadata, a GIS protocol's header, a PDF's XMP metadata), so that a later run can
// name those made from another fit: the model, m0 and a checksum of the adjustment points and the
// points left out, as "konforemna 1, m0 0.0205, punkty 3f2a...". One text, UTF-8.
#pragma once

#include <string>
#include <string_view>

#include "transform/TransformationResult.h"

// The stamp of `result`; empty without a usable fit.
std::string FitStamp(const TransformationResult& result);

// The line that carries it in a text output: "Dopasowanie: <stamp>".
inline constexpr std::string_view kFitStampLabel = " Dopasowanie: ";

// The metadata item of a GeoPackage that carries it.
inline constexpr const char* kFitStampMetadataItem = "ZORNAK_EDZ_FIT";

// The element of a PDF's XMP metadata that carries it (in the namespace kFitStampXmpNamespace
// under the prefix "zornak"), as XML text.
inline constexpr std::string_view kFitStampXmpNamespace = "urn:zornak-edz:fit:1";
inline constexpr std::string_view kFitStampXmpOpen = "<zornak:dopasowanie>";
inline constexpr std::string_view kFitStampXmpClose = "</zornak:dopasowanie>";

// `text` with the characters XML reserves as their entities, and back.
std::string XmlEscaped(std::string_view text);
std::string XmlUnescaped(std::string_view text);
