# The generated data of numlib/tests/weyl_data.hpp: only IEEE products,
# %% 1 (exact here), floor and sums, so R and C++ produce the same doubles.
weyl_alpha <- c(0.7548776662466927, 0.5698402909980532, 0.6180339887498949)
weyl <- function(k, i) (weyl_alpha[k] * i) %% 1
weyl_smooth <- function(n, offset, scale, first = 1) {
  i <- as.double(first:(first + n - 1))
  offset + scale * ((weyl(1, i) + weyl(2, i)) + weyl(3, i))
}
weyl_ties <- function(n, levels, first = 1) {
  i <- as.double(first:(first + n - 1))
  floor(levels * weyl(1, i))
}
