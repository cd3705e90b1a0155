#include "effects/renderer3d.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace morvane {
namespace {

// Spans whose nearest point comes this close to the camera are cut off there.
constexpr int kNearLimit = 5;

// Alpha-aware blend of two texels; t is the weight of a. The colour leans towards the more
// opaque texel so that transparent texels do not tint the edge of a shape.
Pixel Mix(Pixel a, Pixel b, double t) {
  const double aa = AlphaOf(a);
  const double ab = AlphaOf(b);
  const auto alpha = std::min(255u, static_cast<unsigned>((1 - t) * ab + t * aa + 0.5));
  if (IsTransparent(a)) return alpha << 24 | (b & 0xFFFFFF);
  if (IsTransparent(b)) return alpha << 24 | (a & 0xFFFFFF);
  if (ab < aa) {
    t += (1 - t) * (aa - ab) / 255;
  } else {
    t -= t * (ab - aa) / 255;
  }
  auto channel = [t](unsigned ca, unsigned cb) {
    return std::min(255u, static_cast<unsigned>((1 - t) * cb + t * ca + 0.5));
  };
  return MakePixel(alpha, channel(RedOf(a), RedOf(b)), channel(GreenOf(a), GreenOf(b)),
                   channel(BlueOf(a), BlueOf(b)));
}

// The values an edge carries, interpolated linearly in screen y (and then in x along a span).
struct EdgeValues {
  double x = 0, iz = 0, uz = 0, vz = 0;

  EdgeValues Lerp(const EdgeValues& to, double t) const {
    return {x + (to.x - x) * t, iz + (to.iz - iz) * t, uz + (to.uz - uz) * t,
            vz + (to.vz - vz) * t};
  }
};

// One side of a quad being scan-converted: the edge from vertex `from` to vertex `to`.
struct Walker {
  int from = 0, to = 0, step = 1;  // step +1 walks forwards through the quad, -1 backwards
};

// One scanline of a quad between its left and right edge values, perspective-correct and
// bilinearly filtered, composited over what the output holds.
void DrawSpan(CDib& out, int y, EdgeValues l, EdgeValues r, const Renderer3D::Texture& texture) {
  if (y < 0 || y >= out.GetHeight() || !(l.iz > 0) || !(r.iz > 0)) return;
  int xl = static_cast<int>(l.x + 0.5);
  int xr = static_cast<int>(r.x + 0.5);
  if (xl == xr) return;
  if (xl > xr) {
    std::swap(xl, xr);
    std::swap(l, r);
  }
  if (r.x - l.x < 1e-7) return;
  const int tw = texture.width;
  const int th = texture.height;
  const double span = xr - xl;
  Pixel* row = out.Row(y);
  const int last = std::min(xr, out.GetWidth() - 1);
  for (int x = std::max(xl, 0); x <= last; ++x) {
    const EdgeValues v = l.Lerp(r, (x - xl) / span);
    const double z = 1 / v.iz;
    if (static_cast<int>(z + 0.5) <= kNearLimit) break;
    const double u = std::min(std::max(0.0, z * v.uz), static_cast<double>(tw - 1));
    const double w = std::min(std::max(0.0, z * v.vz), static_cast<double>(th - 1));
    const double un = std::min(u + 1, static_cast<double>(tw - 1));
    const double wn = std::min(w + 1, static_cast<double>(th - 1));
    const auto texel = [&](double tu, double tv) {
      return texture.pixels[static_cast<std::size_t>(tv) * static_cast<std::size_t>(tw) +
                            static_cast<std::size_t>(tu)];
    };
    const Pixel t00 = texel(u, w), t10 = texel(un, w), t01 = texel(u, wn), t11 = texel(un, wn);
    Pixel result;
    if (t00 == t10 && t00 == t01 && t00 == t11) {
      result = t00;  // what the blend of four equal texels gives
    } else {
      const double fx = 1 - (u - std::floor(u));
      const double fy = 1 - (w - std::floor(w));
      result = Mix(Mix(t00, t10, fx), Mix(t01, t11, fx), fy);
    }
    row[x] = AlphaOver(row[x], result);
  }
}

}  // namespace

Renderer3D::Matrix Renderer3D::Identity() {
  return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

Renderer3D::Renderer3D(CDib& output) : output_(output) {
  output_.Fill(0);
  cx = output_.GetWidth() / 2.0;
  cy = output_.GetHeight() / 2.0;
  for (int i = 0; i < 360; ++i) {
    sin_[i] = std::sin(i * std::numbers::pi / 180);
    cos_[i] = std::cos(i * std::numbers::pi / 180);
  }
}

void Renderer3D::RemoveObject(std::size_t index) {
  if (index < objects_.size()) objects_.erase(objects_.begin() + static_cast<long>(index));
}

int Renderer3D::AddObject(int mode, std::uint32_t baseColor) {
  Object o;
  o.mode = mode;
  o.baseColor = baseColor;
  objects_.push_back(std::move(o));
  return static_cast<int>(objects_.size()) - 1;
}

void Renderer3D::AddVertex(int object, double x, double y, double z, double u, double v) {
  Vertex vertex;
  vertex.x = x;
  vertex.y = y;
  vertex.z = z;
  vertex.u = u;
  vertex.v = v;
  objects_.at(static_cast<std::size_t>(object)).vertices.push_back(vertex);
}

void Renderer3D::AddQuad(int object, int i0, int i1, int i2, int i3) {
  objects_.at(static_cast<std::size_t>(object)).quads.push_back({i0, i1, i2, i3});
}

void Renderer3D::RemoveTexture(std::size_t index) {
  if (index < textures_.size()) textures_.erase(textures_.begin() + static_cast<long>(index));
}

int Renderer3D::AddTexture(int width, int height, const Pixel* pixels, int stride) {
  Texture t;
  t.width = width;
  t.height = height;
  t.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    std::copy(pixels + static_cast<std::size_t>(y) * stride,
              pixels + static_cast<std::size_t>(y) * stride + width,
              t.pixels.begin() + static_cast<long>(y) * width);
  }
  textures_.push_back(std::move(t));
  return static_cast<int>(textures_.size()) - 1;
}

void Renderer3D::ResetTransform(int object) {
  objects_.at(static_cast<std::size_t>(object)).transform = Identity();
}

void Renderer3D::Prepend(int object, const Matrix& s) {
  Matrix& m = objects_.at(static_cast<std::size_t>(object)).transform;
  Matrix r{};
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      double sum = 0;
      for (int k = 0; k < 4; ++k) sum += s[i * 4 + k] * m[k * 4 + j];
      r[i * 4 + j] = sum;
    }
  }
  m = r;
}

void Renderer3D::TranslateObject(int object, double tx, double ty, double tz) {
  Matrix s = Identity();
  s[3] = tx;
  s[7] = ty;
  s[11] = tz;
  Prepend(object, s);
}

void Renderer3D::RotateObject(int object, double ax, double ay, double az) {
  const int a = static_cast<int>(ax);
  const int b = static_cast<int>(ay);
  const int c = static_cast<int>(az);
  auto product = [](const Matrix& p, const Matrix& q) {
    Matrix r{};
    for (int i = 0; i < 4; ++i) {
      for (int j = 0; j < 4; ++j) {
        for (int k = 0; k < 4; ++k) r[i * 4 + j] += p[i * 4 + k] * q[k * 4 + j];
      }
    }
    return r;
  };
  Matrix s = Identity();
  if (a != 0) {
    const int i = ((a + 1440) % 360 + 360) % 360;
    Matrix rx = Identity();
    rx[5] = cos_[i];
    rx[6] = sin_[i];
    rx[9] = -sin_[i];
    rx[10] = cos_[i];
    s = rx;
  }
  if (b != 0) {
    const int i = ((b + 720) % 360 + 360) % 360;
    Matrix ry = Identity();
    ry[0] = cos_[i];
    ry[2] = sin_[i];
    ry[8] = -sin_[i];
    ry[10] = cos_[i];
    s = product(ry, s);
  }
  if (c != 0) {
    const int i = ((c + 720) % 360 + 360) % 360;
    Matrix rz = Identity();
    rz[0] = cos_[i];
    rz[1] = sin_[i];
    rz[4] = -sin_[i];
    rz[5] = cos_[i];
    s = product(rz, s);
  }
  Prepend(object, s);
}

void Renderer3D::Render() {
  output_.Fill(0);
  for (auto o = objects_.rbegin(); o != objects_.rend(); ++o) {
    const Matrix& m = o->transform;
    for (Vertex& v : o->vertices) {
      const double x = m[0] * v.x + m[1] * v.y + m[2] * v.z + m[3];
      const double y = m[4] * v.x + m[5] * v.y + m[6] * v.z + m[7];
      const double z = std::max(m[8] * v.x + m[9] * v.y + m[10] * v.z + m[11], 1.0);
      const double f = viewDistance / z;
      v.screenX = static_cast<int>(f * x + cx + 0.5);
      v.screenY = static_cast<int>(f * y + cy + 0.5);
      v.depth = z;
    }
    if (o->mode != 9 || o->texture < 0 ||
        static_cast<std::size_t>(o->texture) >= textures_.size()) {
      continue;
    }
    const Texture& texture = textures_[static_cast<std::size_t>(o->texture)];
    for (auto q = o->quads.rbegin(); q != o->quads.rend(); ++q) DrawQuad(*o, *q, texture);
  }
}

void Renderer3D::DrawQuad(const Object& object, const std::array<int, 4>& quad,
                          const Texture& texture) {
  const int count = static_cast<int>(object.vertices.size());
  for (const int i : quad) {
    if (i < 0 || i >= count) return;
  }
  auto vertex = [&](int k) -> const Vertex& {
    return object.vertices[static_cast<std::size_t>(quad[static_cast<std::size_t>((k + 4) % 4)])];
  };
  auto sy = [&](int k) { return vertex(k).screenY; };
  auto values = [&](int k) {
    const Vertex& v = vertex(k);
    return EdgeValues{static_cast<double>(v.screenX), 1 / v.depth,
                      v.u * (texture.width - 1) / v.depth, v.v * (texture.height - 1) / v.depth};
  };

  // The top vertex; along a flat top edge, the one the forward walker leaves from. At most
  // three steps each way: four vertices on one row draw nothing.
  int top = 0;
  for (int k = 1; k < 4; ++k) {
    if (sy(k) < sy(top)) top = k;
  }
  int steps = 0;
  while (sy(top + 1) == sy(top) && steps < 3) top = (top + 1) % 4, ++steps;
  if (steps == 3) return;
  int left = top;
  for (steps = 0; sy(left - 1) == sy(top) && steps < 3; ++steps) left = (left + 3) % 4;
  Walker rw{top, (top + 1) % 4, 1};
  Walker lw{left, (left + 3) % 4, -1};
  if (sy(rw.to) <= sy(rw.from) || sy(lw.to) <= sy(lw.from)) return;

  // Faces turned away have their left edge to the right at the top.
  if (left != top) {
    if (vertex(left).screenX > vertex(top).screenX) return;
  } else {
    const double dl =
        static_cast<double>(vertex(lw.to).screenX - vertex(top).screenX) / (sy(lw.to) - sy(top));
    const double dr =
        static_cast<double>(vertex(rw.to).screenX - vertex(top).screenX) / (sy(rw.to) - sy(top));
    if (!(dl < dr)) return;
  }

  auto at = [&](const Walker& w, int y) {
    const double t = static_cast<double>(y - sy(w.from)) / (sy(w.to) - sy(w.from));
    return values(w.from).Lerp(values(w.to), t);
  };
  // Moves a walker on past its lower vertex; false when the quad ends there.
  auto advance = [&](Walker& w, const Walker& other) {
    if (w.to == other.to) return false;  // the walkers meet
    w.from = w.to;
    w.to = (w.to + w.step + 4) % 4;
    return sy(w.to) > sy(w.from);
  };

  const int height = output_.GetHeight();
  for (int y = sy(top), switches = 0; y < height;) {
    if (y >= 0) DrawSpan(output_, y, at(lw, y), at(rw, y), texture);
    const bool rightDone = y == sy(rw.to);
    const bool leftDone = y == sy(lw.to);
    if (rightDone && leftDone && rw.to == lw.to) break;
    if (rightDone && (++switches > 4 || !advance(rw, lw))) break;
    if (leftDone && (++switches > 4 || !advance(lw, rw))) break;
    ++y;
  }
}

}  // namespace morvane

namespace morvane {

void BuildCard(Renderer3D& renderer, int bw, int bh) {
  renderer.RemoveObject(0);
  const int card = renderer.AddObject(9, 0x7F000000);
  const double a = (bw + 40) / 2.0;
  const double c = (bh + 40) / 2.0;
  const double left = -static_cast<int>(a + 0.5);
  const double right = static_cast<int>(a - 0.5);
  const double top = -static_cast<int>(c + 0.5);
  const double bottom = static_cast<int>(c - 0.5);
  renderer.AddVertex(card, left, bottom, 0, 0, 1);
  renderer.AddVertex(card, right, bottom, 0, 1, 1);
  renderer.AddVertex(card, right, top, 0, 1, 0);
  renderer.AddVertex(card, left, top, 0, 0, 0);
  renderer.AddQuad(card, 1, 2, 3, 0);
  renderer.AddQuad(card, 3, 2, 1, 0);
}

}  // namespace morvane
