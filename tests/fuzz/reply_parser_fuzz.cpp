// Feeds arbitrary bytes to the reply parser, the request parser and the hex decoder.
#include "link/frame.h"

#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    devlink::ReplyParser reply;
    reply.Reset();
    devlink::RequestParser request;
    for (std::size_t i = 0; i < size; ++i) {
        if (reply.ParseByte(data[i])) {
            // a taken reply is a NUL-terminated text inside the buffer
            if (std::strlen(reply.data) >= std::size_t(devlink::kBufferSize)) __builtin_trap();
            std::uint8_t out[100];
            devlink::HexDecode(out, reply.data, std::min(reply.dataLength / 2, 100));
        }
        request.ParseByte(data[i]);
    }
    return 0;
}
