# Data far from zero: values near 1e6 and 1e9 that spread by a tenth or a
# few units, written with decimals as a user types them. The statistics
# that a common shift of X and Y leaves alone must keep the digits that the
# report prints: the moments' shape, the t tests of the mean bias, Lin's and
# Liao's concordance, the squared bias of the MSEP decomposition, and the
# comparison's concordance of a model with the observations and of two
# models with each other.
#
# R reads each decimal as the double KVE reads, and works on the data less
# the offset: for values within a factor 2 of the offset that subtraction is
# exact, and none of these statistics depends on a common shift, so they are
# the statistics of the very doubles KVE holds, without the cancellation of
# two means near 1e9 (which R's own sums would suffer as well). Lin's and
# Liao's coefficients are written out as in concordance_ccc.R (Liao's
# standard error from common.R), with the variances of divisor n - 1 that
# the report hands to the library.
#
# Run from the repository root:
#   Rscript tools/oracles/far_from_zero.R app/tests/core/reference
# It writes app/tests/core/reference/far_from_zero_cases.inc.
source("tools/oracles/common.R")
set.seed(20261211)

shape <- function(v) {
  n <- length(v); m <- mean(v); s <- sd(v)
  c(sum((v - m)^3) / (n * s^3), sum((v - m)^4) / (n * var(v)^2))
}

# Lin's coefficient with its z, and Liao's, of predictions x against
# observations y (the report's and the comparison's call of the library).
concordance <- function(x, y) {
  n <- length(x); r <- cor(x, y)
  vx <- var(x); vy <- var(y); sx <- sqrt(vx); sy <- sqrt(vy)
  d <- mean(y - x)
  u <- d / sqrt(sx * sy); V <- sy / sx
  cb <- 2 / (u^2 + V + 1 / V)
  rc <- 2 * r * sx * sy / (d^2 + vx + vy)
  var_rc <- ((1 - r^2) * rc^2 * (1 - rc^2) / r^2 + 2 * rc^3 * (1 - rc) * u^2 / r - rc^4 * u^4 / (2 * r^2)) / (n - 2)
  se <- sqrt(var_rc)
  ar <- (4 * sy * sx - (sx^2 + sy^2) * r) / (d^2 + (2 - r) * (sx^2 + sy^2))
  seg <- unname(liao_se(n, r, vx, vy, -d)["se"])
  gr <- ar * r
  c(u = u, Cb = cb, rc = rc, SErc = se, z = rc / se, Ar = ar, Gr = gr, SEGr = seg, Grz = gr / seg)
}

report_stats <- function(x, y) {
  msep <- mean((y - x)^2)
  c(shape(x), shape(y),
    t.test(y, x, var.equal = TRUE)$statistic, t.test(y, x)$statistic,
    t.test(y, x, paired = TRUE)$statistic,
    concordance(x, y), bias2 = mean(y - x)^2, bias2pct = 100 * mean(y - x)^2 / msep)
}

cases <- list()
add <- function(name, offset, digits, v, w, m2) {
  f <- paste0("%.", digits, "f")
  cases[[length(cases) + 1]] <<- list(name = name, offset = offset, x = sprintf(f, offset + v),
                                      y = sprintf(f, offset + w), x2 = sprintf(f, offset + m2))
}
# A thousand predictions that spread by a tenth, a third of them skewed up,
# observations 0.01 above them with a noise of 0.02, and a second model.
n <- 1000
v <- round(rnorm(n, 5, 0.1) + ifelse(seq_len(n) %% 3 == 0, rexp(n, 10), 0), 3)
w <- round(v + rnorm(n, 0.01, 0.02), 3)
m2 <- round(v + rnorm(n, -0.02, 0.03), 3)
add("a thousand near 1e6", 1e6, 3, v, w, m2)
add("a thousand near 1e9", 1e9, 3, v, w, m2)
# A close model of forty observations from 1 to 9, two decimals.
v <- round(runif(40, 1, 9), 2)
w <- round(v + 0.05 + rnorm(40, 0, 0.02), 2)
m2 <- round(v + rnorm(40, 0.1, 0.5), 2)
add("a close model near 1e9", 1e9, 2, v, w, m2)

con <- file(out_path("far_from_zero_cases.inc"), "w")
header(con, "far_from_zero.R")
strs <- function(v) paste0("{", paste0("\"", v, "\"", collapse = ", "), "}")
writeLines(c("// {name, X, Y and a second model X2 as decimals; R's statistics of the report",
             "//  (skewness and kurtosis of X and of Y; t of Y - X: same variances, Welch's,",
             "//  paired; Lin's u, Cb, rc, SE rc, z; Liao's Ar, Gr, SE Gr, z; the squared",
             "//  bias and its percentage of MSEP); R's Cb and CCC of the comparison: model",
             "//  X against Y, model X2 against Y, and X2 (in X's place) against X}"), con)
writeLines("const FarCase kFarCases[] = {", con)
for (cs in cases) {
  x <- as.numeric(cs$x) - cs$offset
  y <- as.numeric(cs$y) - cs$offset
  x2 <- as.numeric(cs$x2) - cs$offset
  stopifnot(all(as.numeric(cs$x) - x == cs$offset))
  st <- report_stats(x, y)
  cm <- c(concordance(x, y)[c("Cb", "rc")], concordance(x2, y)[c("Cb", "rc")], concordance(x2, x)[c("Cb", "rc")])
  writeLines(sprintf("    {\"%s\", %s, %s, %s, %s, %s},", cs$name, strs(cs$x), strs(cs$y), strs(cs$x2),
                     vec(unname(st)), vec(unname(cm))), con)
}
writeLines("};", con)
close(con)
