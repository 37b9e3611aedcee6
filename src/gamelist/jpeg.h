#pragma once

// JPEG decoding and encoding with libjpeg.
namespace jpeg {}
