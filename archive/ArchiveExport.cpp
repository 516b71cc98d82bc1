#include "archive/ArchiveExport.h"

#include "platform/CFormat.h"
#include "platform/SystemErrorText.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>

namespace flowcfg {

namespace {

// Writes through one large buffer; remembers the first error.
class BufferedFile {
public:
    explicit BufferedFile(const std::filesystem::path& path)
        : file_(std::fopen(path.c_str(), "wb")) {
        if (!file_)
            error_ = systemErrorText(errno);
        buffer_.reserve(capacity + 4096);
    }
    ~BufferedFile() {
        if (file_)
            std::fclose(file_);
    }
    BufferedFile(const BufferedFile&) = delete;
    BufferedFile& operator=(const BufferedFile&) = delete;

    bool opened() const { return file_ != nullptr; }
    std::string& buffer() { return buffer_; }
    void flushIfFull() {
        if (buffer_.size() >= capacity)
            flush();
    }
    // Flushes and closes; false (with the reason) when anything failed.
    bool close(std::string& error) {
        flush();
        if (file_ && std::fclose(file_) != 0 && error_.empty())
            error_ = systemErrorText(errno);
        file_ = nullptr;
        error = error_;
        return error_.empty();
    }

private:
    static constexpr std::size_t capacity = 1 << 18;

    void flush() {
        if (file_ && !buffer_.empty() && error_.empty() &&
            std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size())
            error_ = systemErrorText(errno);
        buffer_.clear();
    }

    std::FILE* file_;
    std::string buffer_;
    std::string error_;
};

void appendField(std::string& out, const char* label, double value) {
    out += label;
    appendFixed(out, value, 6, 3);
    out += '\t';
}

void appendHexField(std::string& out, const char* label, std::uint16_t value) {
    out += label;
    appendHex(out, value, 2);
    out += '\t';
}

void appendVolume(std::string& out, const char* label, double value) {
    out += label;
    appendGeneral(out, value, 8, 3);
    out += '\t';
}

} // namespace

std::string archiveExportFileName(std::string_view prefix, const LocalTime& time,
                                  std::uint32_t totalFrames) {
    std::string name(prefix);
    for (const int part : {time.day, time.month, time.year, time.hour, time.minute, time.second}) {
        name += '_';
        name += std::to_string(part);
    }
    name += '_';
    name += std::to_string(totalFrames);
    name += "_frames.txt";
    return name;
}

void appendArchiveFrameLine(std::string& out, const ArchiveFrame& f) {
    out += "frame_num ";
    appendUnsigned(out, f.frame_num, 4);
    out += "\t hour ";
    appendUnsigned(out, f.hour, 2);
    out += "\t min ";
    appendUnsigned(out, f.min, 2);
    out += "\t sec ";
    appendUnsigned(out, f.sec, 2);
    out += "\t day ";
    appendUnsigned(out, f.day, 2);
    out += "\t month ";
    appendUnsigned(out, f.month, 2);
    out += "\t year ";
    appendUnsigned(out, f.year + 2000u, 4);
    out += "\t ";
    appendField(out, " flow= ", f.flow);
    appendHexField(out, " err_hi= ", f.err_hi);
    appendHexField(out, " err_lo= ", f.err_lo);
    appendHexField(out, " stat= ", f.stat);
    appendField(out, " flow_vel= ", f.flow_vel);
    appendHexField(out, " vel_err= ", f.vel_err);
    appendHexField(out, " d_out= ", f.d_out);
    out += " f_out_1= ";
    appendFixed(out, f.f_out_1, 3, 1);
    out += "\t f_out_2= ";
    appendFixed(out, f.f_out_2, 3, 1);
    out += "\t i_out= ";
    appendFixed(out, f.i_out, 3, 2);
    out += '\t';
    appendVolume(out, " sum_v= ", f.sum_v);
    appendVolume(out, " mod_v= ", f.mod_v);
    appendVolume(out, " forv_v= ", f.forv_v);
    appendVolume(out, " rev_v= ", f.rev_v);
    appendField(out, " max_flow= ", f.max_flow);
    appendField(out, " min_flow= ", f.min_flow);
    appendField(out, " avr_flow= ", f.avr_flow);
    appendField(out, " ext_p_kpa= ", f.ext_p_kpa);
    appendHexField(out, " ext_p_err= ", f.ext_p_err);
    appendField(out, " ext_t= ", f.ext_t);
    appendHexField(out, " ext_t_err= ", f.ext_t_err);
    out += " cs_rx ";
    appendUnsigned(out, f.cs_rx, 2);
    out += "  cs_acnt ";
    appendUnsigned(out, f.cs_acnt, 2);
    out += " \r\n";
}

ArchiveExportResult writeArchiveText(const ArchiveImage& image, std::uint32_t blocks,
                                     const std::filesystem::path& file) {
    ArchiveExportResult result;
    result.path = file;
    BufferedFile out(file);
    if (!out.opened()) {
        out.close(result.error);
        return result;
    }
    blocks = std::min(blocks, archiveSlotCount);
    for (std::uint32_t b = 0; b < blocks; ++b) {
        const auto block = image.slot(b);
        for (std::size_t f = 0; f < framesPerArchiveBlock; ++f) {
            const auto bytes = archiveFrameAt(block, f);
            if (!archiveFrameValid(bytes)) {
                ++result.skipped;
                continue;
            }
            appendArchiveFrameLine(out.buffer(), decodeArchiveFrame(bytes));
            ++result.lines;
        }
        out.flushIfFull();
    }
    result.ok = out.close(result.error);
    return result;
}

ArchiveExportResult exportArchive(const ArchiveImage& image, std::uint32_t blocks,
                                  std::uint32_t totalFrames, std::string_view prefix,
                                  const Clock& clock, const std::filesystem::path& directory) {
    return writeArchiveText(image, blocks,
                            directory / archiveExportFileName(prefix, clock.now(), totalFrames));
}

} // namespace flowcfg
