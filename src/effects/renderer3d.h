// Renderer3D: the small software renderer of the 3D effects. It keeps objects made of textured
// quads, applies 4 x 4 transforms, projects through a pinhole camera and scan-converts each quad
// with perspective-correct, bilinearly filtered texture mapping into a 32-bit output image.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "image/dib.h"

namespace morvane {

class Renderer3D {
 public:
  using Matrix = std::array<double, 16>;  // row-major, applied to column vectors

  struct Vertex {
    double x = 0, y = 0, z = 0;
    double u = 0, v = 0;
    // After projection:
    int screenX = 0, screenY = 0;
    double depth = 0;
  };
  struct Object {
    int mode = 9;  // textured quads, the only mode drawn
    std::uint32_t baseColor = 0;
    int texture = 0;
    std::vector<Vertex> vertices;
    std::vector<std::array<int, 4>> quads;
    Matrix transform = Identity();
  };
  struct Texture {
    int width = 0, height = 0;
    std::vector<Pixel> pixels;  // packed rows
  };

  // Draws into output (which must outlive the renderer) and clears it.
  explicit Renderer3D(CDib& output);

  double cx = 0, cy = 0;  // screen centre
  double baseDistance = 0;
  double viewDistance = 0;  // focal factor

  void RemoveObject(std::size_t index);
  int AddObject(int mode, std::uint32_t baseColor);
  void AddVertex(int object, double x, double y, double z, double u, double v);
  void AddQuad(int object, int i0, int i1, int i2, int i3);
  void RemoveTexture(std::size_t index);
  // Copies width x height pixels of rows `stride` pixels apart. Returns the texture's index.
  int AddTexture(int width, int height, const Pixel* pixels, int stride);
  void ResetTransform(int object);
  void TranslateObject(int object, double tx, double ty, double tz);
  // Angles in degrees, truncated to whole degrees; each non-zero angle adds its rotation.
  void RotateObject(int object, double ax, double ay, double az);
  void Render();

  static Matrix Identity();

 private:
  void Prepend(int object, const Matrix& s);
  void DrawQuad(const Object& object, const std::array<int, 4>& quad, const Texture& texture);

  CDib& output_;
  std::array<double, 360> sin_{};
  std::array<double, 360> cos_{};
  std::vector<Object> objects_;
  std::vector<Texture> textures_;
};

// The card both 3D effects draw: one textured-quad object whose four corners frame a shape box
// of bw x bh pixels with a 20-pixel margin, given as two quads of opposite order (front and back).
void BuildCard(Renderer3D& renderer, int bw, int bh);

}  // namespace morvane
