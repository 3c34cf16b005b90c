// FFmpeg as a reference for palette BMP files: decodes one file image with libavcodec's BMP decoder.
#pragma once

#include "core/result.h"

#include <QByteArrayView>
#include <QString>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
}

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace glyfex::test {

// The picture as palette indices, rows top down, and the palette as 0x00BBGGRR.
struct AvBmpPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> indices;
    std::vector<uint32_t> palette; // 256 entries
};

inline core::Result<AvBmpPicture> decodeBmpWithFfmpeg(QByteArrayView file)
{
    const auto fail = [](const QString &why) { return core::makeError(QStringLiteral("FFmpeg cannot decode the bitmap"), {}, why); };
    const AVCodec *codec = avcodec_find_decoder(AV_CODEC_ID_BMP);
    if (!codec)
        return fail(QStringLiteral("no BMP decoder"));
    std::unique_ptr<AVCodecContext, void (*)(AVCodecContext *)> ctx(avcodec_alloc_context3(codec),
                                                                    [](AVCodecContext *c) { avcodec_free_context(&c); });
    if (!ctx || avcodec_open2(ctx.get(), codec, nullptr) < 0)
        return fail(QStringLiteral("the decoder does not open"));
    std::unique_ptr<AVPacket, void (*)(AVPacket *)> packet(av_packet_alloc(), [](AVPacket *p) { av_packet_free(&p); });
    std::unique_ptr<AVFrame, void (*)(AVFrame *)> frame(av_frame_alloc(), [](AVFrame *f) { av_frame_free(&f); });
    if (av_new_packet(packet.get(), int(file.size())) < 0)
        return fail(QStringLiteral("no memory"));
    std::memcpy(packet->data, file.data(), size_t(file.size()));
    int rc = avcodec_send_packet(ctx.get(), packet.get());
    if (rc >= 0)
        rc = avcodec_receive_frame(ctx.get(), frame.get());
    if (rc < 0) {
        char text[AV_ERROR_MAX_STRING_SIZE] = {};
        av_strerror(rc, text, sizeof text);
        return fail(QString::fromLatin1(text));
    }
    if (frame->format != AV_PIX_FMT_PAL8)
        return fail(QStringLiteral("not a palette picture"));
    AvBmpPicture p;
    p.width = frame->width;
    p.height = frame->height;
    for (int y = 0; y < p.height; ++y) {
        const uint8_t *row = frame->data[0] + ptrdiff_t(y) * frame->linesize[0];
        p.indices.insert(p.indices.end(), row, row + p.width);
    }
    // FFmpeg's palette entries are 0xAARRGGBB in native order.
    const auto *pal = reinterpret_cast<const uint32_t *>(frame->data[1]);
    for (int i = 0; i < 256; ++i) {
        const uint32_t argb = pal[i];
        p.palette.push_back(((argb & 0xFF) << 16) | (argb & 0xFF00) | ((argb >> 16) & 0xFF));
    }
    return p;
}

} // namespace glyfex::test
