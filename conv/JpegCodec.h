// JPEG images (format code 133) through the JPEG library ijl11.dll: read
// into a 24-bit packed DIB, written from one.
#pragma once
#include "ConvFormats.h"

// Reads a JPEG file into image->dib. Result code.
int ReadJpeg(const char* path, ConvImage* image);
// Writes an uncompressed 24-bit packed DIB with a 40-byte header. Result code.
int WriteJpeg(const char* path, HGLOBAL dib);

// The format table's handlers.
int LoadJpegImage(const ConvLoadCall& call);
int SaveJpegImage(const ConvSaveCall& call);
int PreviewJpegImage(const char* path, ConvImage* image);
