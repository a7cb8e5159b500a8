// Result codes of the file and document operations. 1 is success; every other
// value is the string-table id of the message that the caller shows.
#pragma once

enum ResultCode : int {
    RESULT_OK = 1,
    RESULT_OUT_OF_MEMORY = 0x7001,     // 28673 "There is too little memory ..."
    RESULT_NEWER_VERSION = 0x7004,     // 28676 "This file was created for a newer version of Zelvo!"
    RESULT_GENERAL_ERROR = 0x8000,     // 32768
    RESULT_READ_ERROR = 0x8001,        // 32769 "Error reading file!"
    RESULT_WRITE_ERROR = 0x8002,       // 32770 "Error writing to file!\nYour disk may be full!"
    RESULT_NOT_FOUND = 0x8003,         // 32771 "Error finding file!"
    RESULT_UNKNOWN_FORMAT = 0x8004,    // 32772 "Unknown file format!"
    RESULT_CREATE_ERROR = 0x8005,      // 32773 "Error creating file!"
    RESULT_COMPRESSION_ERROR = 0x8006, // 32774
    RESULT_LIBRARY_ERROR = 0x8007,     // 32775
};
