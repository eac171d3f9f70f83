# The R counterpart of the user's path for the side-by-side timing: reads a
# dataset file, keeps the rows an evaluation uses (X not empty, exclusion
# mark not beginning with "Y", "y" or "0"), computes the figures of the
# regression, parameter-test and OLS/SLS sections and writes them to a text
# file.
#
#   Rscript bench/user_path.R FILE.KVE OUTPUT.TXT
args <- commandArgs(trailingOnly = TRUE)
lines <- readLines(args[1], warn = FALSE)
start <- match("DATA:", lines)
rows <- as.integer(sub("^N=", "", lines[grep("^N=", lines)[1]]))
d <- read.csv(text = lines[(start + 1):(start + rows)], header = FALSE, colClasses = "character",
              col.names = c("x", "sdx", "y", "sdy", "rx", "ry", "ex"))
mark <- substr(d$ex, 1, 1)
d <- d[d$x != "" & !(mark %in% c("Y", "y", "0")), ]
x <- as.numeric(d$x); y <- as.numeric(d$y); n <- length(x)

fit <- lm(y ~ x); s <- summary(fit); co <- s$coefficients
df <- n - 2; a <- co[1, 1]; b <- co[2, 1]; siga <- co[1, 2]; sigb <- co[2, 2]
mse <- sum(residuals(fit)^2) / df
r <- cor(x, y)
rr2 <- 1 - (median(abs(residuals(fit))) / median(abs(y - mean(y))))^2
tp <- function(t) 2 * pt(-abs(t), df)
restricted <- lm(y ~ 0 + offset(x))
ftest <- anova(restricted, fit)

# The six lines of Isobe et al. (1990).
mx <- mean(x); my <- mean(y); dx <- x - mx; dy <- y - my
Sxx <- sum(dx^2); Syy <- sum(dy^2); Sxy <- sum(dx * dy)
b1 <- Sxy / Sxx; b2 <- Syy / Sxy; sgn <- sign(Sxy)
b3 <- (b1 * b2 - 1 + sqrt((1 + b1^2) * (1 + b2^2))) / (b1 + b2)
dd <- b2 - 1 / b1; b4 <- 0.5 * (dd + sgn * sqrt(4 + dd^2))
b5 <- sgn * sqrt(b1 * b2); b6 <- 0.5 * (b1 + b2)
slope <- c(b1, b2, b3, b4, b5, b6); icpt <- my - mx * slope
gam1 <- b3 / ((b1 + b2) * sqrt((1 + b1^2) * (1 + b2^2)))
gam2 <- b4 / sqrt(4 * b1^2 + (b1 * b2 - 1)^2)
r1 <- dy - b1 * dx; r2 <- dy - b2 * dx
v1 <- sum((dx * r1)^2) / Sxx^2; v2 <- sum((dy * r2)^2) / Sxy^2
cov <- sum(dx * dy * r1 * r2) / (b1 * Sxx^2)
p1 <- 1 + b1^2; p2 <- 1 + b2^2
vb <- c(v1, v2, gam1^2 * (p2^2 * v1 + 2 * p1 * p2 * cov + p1^2 * v2),
        gam2^2 * (v1 / b1^2 + 2 * cov + b1^2 * v2), 0.25 * (b2 * v1 / b1 + 2 * cov + b1 * v2 / b2),
        0.25 * (v1 + 2 * cov + v2))
t1 <- r1 * dx / Sxx; t2 <- r2 * dy / Sxy
va <- c(sum((r1 * (1 - n * mx * dx / Sxx))^2), sum((r2 * (1 - n * mx * dy / Sxy))^2),
        sum(((p1 * t2 + p2 * t1) * gam1 * mx * n - dy + b3 * dx)^2),
        sum((sgn * (b1^2 * t2 + t1) * gam2 * mx * n / abs(b1) - dy + b4 * dx)^2),
        sum((0.5 * (t1 * sqrt(b2 / b1) + t2 * sqrt(b1 / b2)) * n * mx - dy + b5 * dx)^2),
        sum((0.5 * (t1 + t2) * n * mx - dy + b6 * dx)^2))
sa <- sqrt(va) / n; sb <- sqrt(vb)

out <- c(sprintf("a %.5f +- %.5f", a, siga), sprintf("b %.5f +- %.5f", b, sigb),
         sprintf("MSE %.5f N %d r %.5f resistant r2 %.5f", mse, n, r, rr2),
         sprintf("a = 0: P %.5f  b = 1: P %.5f", tp(a / siga), tp((b - 1) / sigb)),
         sprintf("F %.5f P %.5f", ftest$F[2], ftest$`Pr(>F)`[2]),
         sprintf("line %d: a %.5f +- %.5f (%.5f) b %.5f +- %.5f (%.5f)", 1:6, icpt, sa, tp(icpt / sa), slope, sb,
                 tp((slope - 1) / sb)))
writeLines(out, args[2])
